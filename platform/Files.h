#pragma once
#include <string>

// The few file-system questions the shell asks, with paths as the system spells them.
bool isFolder(const std::string& path);
bool pathExists(const std::string& path);
// Makes the folder if it is not there yet and checks that files can be made in it.
bool makeWritableFolder(const std::string& path, std::string* why);
// Checks that the file can be written, leaving no file behind that was not there before.
bool canWriteFile(const std::string& path, std::string* why);
// Makes the folder the working directory; false if it cannot.
bool enterFolder(const std::string& path);
// The path made absolute against the working directory as it is now, so that it names the same
// place after the program has moved into its data folder. Absolute paths come back as given.
std::string absolutePath(const std::string& path);
