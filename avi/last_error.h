#pragma once
// The system's words for the last error code (errno), as the error boxes show them under a message.

#include <string>

// The C library's description of errno as it stands now, cut at its first line break; for a code the
// library has no name for, "Unknown error 0x%08x (%d)" with the code as 32-bit hexadecimal and its low
// 16 bits in decimal. Never fails; errno is left unchanged.
std::string GetLastErrorText();

// message, an empty line, then GetLastErrorText(): the body of the "Error!" box for file failures.
std::string LastErrorMessage(const char* message);

// The same with detail, when not empty, as one more line after the system's text: what was wrong and where.
std::string LastErrorMessage(const char* message, const std::string& detail);
