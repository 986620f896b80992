#pragma once
// Text helpers used throughout the engine: conversion between narrow and wide strings, case changes,
// trimming, search-and-replace, and conversions between text and numbers.
//
// Narrow text is in the multibyte character set of the current C library locale (LC_CTYPE), which the
// game's language manager selects; wide text is std::wstring. Conversions and case changes go
// character by character through the C library's functions of that locale, so they follow whatever
// locale is current when they are called. LC_NUMERIC is expected to stay "C": number parsing and
// formatting always use '.' as the decimal point.
//
// All functions are free, reentrant and never throw except std::bad_alloc. Characters that the current
// locale cannot convert are skipped (narrow to wide) or dropped (wide to narrow).

#include <cstdint>
#include <string>

namespace CorvantisEngine {

// ---- narrow <-> wide ------------------------------------------------------------------------------

// out is cleared, then receives the wide form of text up to its first zero character. Bytes that do
// not start a valid character are skipped one at a time.
void StringToWString(const std::string& text, std::wstring& out);
std::wstring StringToWStringCopy(const std::string& text);

// out is cleared, then receives the narrow form of text up to its first zero character. Characters the
// locale cannot represent are dropped.
void WStringToString(const std::wstring& text, std::string& out);
std::string WStringToStringCopy(const std::wstring& text);

// ---- case ---------------------------------------------------------------------------------------

void StringToLower(std::string& text);
void StringToUpper(std::string& text);
std::string StringToLowerCopy(const std::string& text);
std::string StringToUpperCopy(const std::string& text);

// Wide case changes use the locale's wide case mapping; every code unit is safe, whatever its value.
void WStringToLower(std::wstring& text);
void WStringToUpper(std::wstring& text);
std::wstring WStringToLowerCopy(const std::wstring& text);
std::wstring WStringToUpperCopy(const std::wstring& text);

// ---- trimming (white space as isspace / iswspace define it) -------------------------------------

void StringTrimLeft(std::string& text);
void StringTrimRight(std::string& text);
void StringTrim(std::string& text);
// Removes every leading occurrence of c.
void StringTrimLeftChar(std::string& text, char c);
std::string StringTrimRightCopy(const std::string& text);

void WStringTrimLeft(std::wstring& text);
void WStringTrimRight(std::wstring& text);
std::wstring WStringTrimLeftCopy(const std::wstring& text);
std::wstring WStringTrimRightCopy(const std::wstring& text);
// Returns a copy trimmed at both ends.
std::wstring WStringTrim(const std::wstring& text);

// ---- search and replace --------------------------------------------------------------------------
// Every occurrence of find is replaced, scanning left to right; the scan resumes just after each
// inserted replacement, so a replacement that contains find is not searched again. An empty find
// changes nothing.

void StringReplaceAll(std::string& text, const std::string& find, const std::string& replacement);
void WStringReplaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement);
std::wstring WStringReplaceAllCopy(const std::wstring& text, const std::wstring& find,
                                   const std::wstring& replacement);
// Case-insensitive: occurrences are matched on lower-cased copies; the replacement is inserted as given.
void WStringReplaceAllNoCase(std::wstring& text, const std::wstring& find, const std::wstring& replacement);
void StringRemoveAll(std::string& text, const std::string& find);
std::wstring WStringRemoveAllCopy(const std::wstring& text, const std::wstring& find);

// ---- text to number -------------------------------------------------------------------------------
// Leading blanks, a sign and (for base 16 or 0) a "0x" prefix are accepted; conversion stops at the
// first unusable character; text without digits gives 0. Values beyond the result type's range clamp
// to its nearest end.

int StringToInt(const std::string& text, int base = 10);
int WStringToInt(const std::wstring& text, int base = 10);
// A leading minus wraps as unsigned 32-bit arithmetic does ("-1" gives 0xFFFFFFFF).
std::uint32_t StringToUIntBase(const std::string& text, int base);
float StringToFloat(const std::string& text);
float WStringToFloat(const std::wstring& text);
// True when the base-10 integer value of the text is not 0 ("2" is true, "yes" is false).
bool StringToBool(const std::string& text);
bool WStringToBool(const std::wstring& text);

// ---- number to text -------------------------------------------------------------------------------
// digits is the minimum number of digits (zero-padded); 0 or less means no padding. decimals is the
// exact number of digits after the point; 0 or less prints no decimal point.

std::string UIntToString(std::uint32_t value, int digits = 0);
std::wstring UIntToWString(std::uint32_t value, int digits = 0);
std::string IntToString(int value, int digits = 0);
std::wstring IntToWString(int value, int digits = 0);
// Upper-case hexadecimal without a prefix.
std::string HexToString(std::uint32_t value, int digits = 0);
std::string FloatToString(float value, int decimals);
std::wstring FloatToWString(float value, int decimals);
// "1" or "0".
std::string BoolToString(bool value);

// ---- paths ------------------------------------------------------------------------------------------

// The folder of the running executable, without a trailing separator; empty when it cannot be found.
std::string GetExecutableFolder();

}  // namespace CorvantisEngine
