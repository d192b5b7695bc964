#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Text rules of the configuration file. Numbers are read and written the
// same way whatever the process's locale.

// The key spaces removed and letters upper-cased, the form in which keys,
// parameter names and value names are compared.
std::string normalisedKey(const std::string& text);

// The index of the first name equal to value ignoring case and spaces, or -1.
int lookupName(const std::string& value, const char* const* names, int count);

// A decimal number: text before the first "-", "." or digit is ignored;
// from there on only digits and one point may follow. False when the value
// holds no such number or anything follows it.
bool parseDecimal(const std::string& value, float& out);
bool parseDecimal(const std::string& value, double& out);

// The shortest plain decimal text that reads back as the same number.
std::string formatDecimal(float value);
std::string formatDecimal(double value);

// The pieces of text between the separators (n separators: n + 1 pieces).
std::vector<std::string> splitAt(const std::string& text, char separator);

// The first "-" or digit of text at or after from, with the digits that
// follow it, as an integer; false when there is none or it is out of range.
bool parseLeadingInteger(const std::string& text, std::size_t from, int& out);

// The patch format bits (1 "AU", 2 "VST", 4 "RTAS") of a "+"-joined list of
// their names, and the list of a mask's names; names are matched exactly.
int patchFormatBits(const std::string& names);
std::string patchFormatText(int mask);

// True when text can stand as a record's value and read back unchanged: no
// "}" (which ends the value) and no line break (which the reader drops).
bool isPlainValue(const std::string& text);

// XML text made safe as a record's value: every "}" and, inside quoted
// attribute values, every line break becomes a character reference, which
// the XML reader turns back into the same character.
std::string recordSafeXml(const std::string& xml);

// Text escaped for a double-quoted XML attribute value the way the XML
// printer escapes it, except that every "&" is escaped, so that text which
// looks like a character reference reads back as itself.
std::string xmlAttributeText(const std::string& text);
