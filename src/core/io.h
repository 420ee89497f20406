// Whole-file reading and writing for every file the game keeps, and the small HTTP text fetch.
#pragma once

#include <string>

// The whole file, one character per byte; "" when it cannot be read. Unless silent is
// set, a file that cannot be read is reported with code -13.
std::string ReadFileToString(const std::string& path, int silent = 0);
// 1 written, -1 the file could not be opened for writing, 0 a write failed (logged).
// The old file survives any failure. Read-only flag 1 leaves the file at 0444, anything
// else at 0744.
int WriteStringToFile(const std::string& text, const std::string& path, int readOnly = 0);
// Deletes the file, read-only or not; always 0.
int DeleteGameFile(const std::string& path);

// One HTTP/1.1 GET; host may carry ":port". Everything the server sent, lines run
// together without their line ends; "" when no connection could be made.
std::string HTTPgetToString(const std::string& path, const std::string& host);
