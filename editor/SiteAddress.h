#pragma once
#include <string>

// Whether an address may be handed to the shell: an http: or https: address with a host,
// and no space, control character or double quote that could end the browser's argument.
// Anything else (file: paths, programs, script addresses) is never opened.
bool IsWebAddress(const std::string& address);

// The address written on the first non-empty line of a small text file below the module
// folder (fileName begins with a backslash, as "\cfg\news.txt"); fallback when the folder is
// unknown, the file is missing or too long, or the line is not a web address.
std::string SiteAddressFromFile(const std::string& moduleDirectory, const char* fileName, const char* fallback);
