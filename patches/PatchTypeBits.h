#pragma once

#include <cstdint>

// FileTypeBits: the type word of a patch file, of a patch and of a bank.
using FileTypeBits = std::uint32_t;

constexpr FileTypeBits kFileTypeAupreset = 0x1; // also the "AU" patch format
constexpr FileTypeBits kFileTypeFxp = 0x2;      // also the "VST" patch format
constexpr FileTypeBits kFileTypeTfx = 0x4;      // also the "RTAS" patch format
constexpr FileTypeBits kFileTypeFxb = 0x8;
constexpr FileTypeBits kFileTypePreset = 0x10;
constexpr FileTypeBits kFileTypeVersion1 = 0x20;
constexpr FileTypeBits kFileTypeEffect = 0x40;
constexpr FileTypeBits kFileTypeInstrument = 0x80;
constexpr FileTypeBits kFileTypeFlavours = 0xC0;
constexpr FileTypeBits kFileTypeInvalid = 0x200;
constexpr FileTypeBits kFileTypePlaced = 0x400;
constexpr FileTypeBits kFileTypeReadOnly = 0x800;

// The formats a patch is saved in ("AU", "VST", "RTAS").
constexpr FileTypeBits kFileTypeSaveFormats = kFileTypeAupreset | kFileTypeFxp | kFileTypeTfx;

// Words of the scan records stay below these: required-type words are
// non-zero and below kRequiredTypeLimit, type and issue words below
// kRecordWordLimit.
constexpr std::uint32_t kRequiredTypeLimit = 256;
constexpr std::uint32_t kRecordWordLimit = 32768;

// A leaf that stands for one program of a version-1 bank file keeps the
// program's index (0-35) in bits 16-21 of its type word.
constexpr int kFileTypeProgramShift = 16;
constexpr std::uint32_t kFileTypeProgramMask = 0x3Fu << kFileTypeProgramShift;

// PatchTypeErrorBits: the issue word of a patch, a bank and a patch file group.
using PatchTypeErrorBits = std::uint32_t;

constexpr PatchTypeErrorBits kIssueAupresetNotRequired = 0x1;
constexpr PatchTypeErrorBits kIssueFxpNotRequired = 0x2;
constexpr PatchTypeErrorBits kIssueTfxNotRequired = 0x4;
constexpr PatchTypeErrorBits kIssueFxbFile = 0x8;
constexpr PatchTypeErrorBits kIssuePresetFile = 0x10;
constexpr PatchTypeErrorBits kIssueVersion1 = 0x20;
constexpr PatchTypeErrorBits kIssueEffectInInstrumentTree = 0x40;
constexpr PatchTypeErrorBits kIssueInstrumentInEffectTree = 0x80;
constexpr PatchTypeErrorBits kIssueUuid = 0x100;
constexpr PatchTypeErrorBits kIssueReadOnly = 0x800;
constexpr PatchTypeErrorBits kIssueAupresetMissing = 0x1000;
constexpr PatchTypeErrorBits kIssueFxpMissing = 0x2000;
constexpr PatchTypeErrorBits kIssueTfxMissing = 0x4000;

// The missing-format issue of a format bit (0x1, 0x2, 0x4) is that bit << 12.
constexpr int kIssueMissingShift = 12;
