#pragma once

#include <string>

// Patch documents carry the version of the program that wrote them; texts of
// older versions are converted to what today's parameters read.

// The version this program writes; documents of it are never converted.
constexpr int kPatchVersion = 609;
// Before this version the aux modulation amounts were stored in units of
// +-7 rather than normalised.
constexpr int kNormalisedAuxAmountVersion = 285;

// The number of a "version" text: the part after its last ".", without one
// trailing "M", read as a leading integer (0 when there is none).
int patchVersionNumber(const std::string& versionText);

// The value text of the parameter with this key as today's parameter reads
// it, for a document of the given version.
std::string convertLegacyValueText(const std::string& key, const std::string& text, int version);

// The normalised value of an aux modulation amount stored by a version before
// kNormalisedAuxAmountVersion.
float legacyAuxAmountValue(float storedAmount);
