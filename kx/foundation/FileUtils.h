// Files, folders and processes for the server and its content handlers:
// temporary files, log files, copying with readable errors, safe tree deletion,
// starting programs, and small comparison and check helpers. Paths use "/".
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kx/foundation/AppInfo.h"

namespace kx {

// ---------------------------------------------------------------------------
// Files and folders

// A new empty file created by mkstemp in folder (the temporary folder when
// empty), named the upper-cased prefix + six random characters; returns its
// name. Failure raises EOSError.
std::string MakeSystemTempFile(const std::string& folder, const std::string& prefix);

// gsTempPath: the temporary folder with trailing "/".
std::string TempPath();

// Appends the text's UTF-16 (little-endian) code units, no byte-order mark, to
// the file, creating it when missing; holds an advisory write lock meanwhile.
// Failure raises EFCreateError.
void FileAppend(const std::string& fileName, std::string_view text);

// Appends "yyyy-mm-dd hh:nn:ss " (local time) + text + CR LF, in UTF-8, to
// gsAppPath + gsAppName + "." + extension. A process-wide lock is held for the
// whole append and the line goes out in one write, so lines never interleave.
void LogFileAppend(std::string_view text, const std::string& extension = "log");

// Creates the file with the text's bytes. Without overwrite an existing file
// raises fileName + " already exists." (checked atomically by the creation).
void FileMake(const std::string& fileName, std::string_view text, bool overwrite);

// The whole file as text (invalid UTF-8 becomes U+FFFD); a missing file gives
// the empty text, other failures raise EFOpenError.
std::string FileContents(const std::string& fileName);

// Raises fileName + " could not be deleted." when the deletion fails.
void FileDelete(const std::string& fileName);

// Copies source to destination, creating the destination folder when missing.
// The copy is written under a temporary name in the destination folder and
// renamed over the destination only when complete, so a failing copy leaves an
// existing destination as it was. Raises:
//   "File copy failed. Destination path cannot be empty."
//   "File copy failed. The specified destination folder does not exist and could not be created.\r\n<system text>"
//   "File copy failed. The file \"<destination file name>\" already exists in destination folder."
//   "File copy Failed. The file \"<destination>\" could not be created.\r\n<system text>"
// Copying a file onto itself is refused with the last message.
void FileCopy(const std::string& source, const std::string& destination, bool overwrite);
// FileCopy, then FileDelete of the source.
void FileMove(const std::string& source, const std::string& destination, bool overwrite);

// Creates folder with all missing parents, retrying once after 10 ms. Returns
// whether the folder exists now. When it still fails, raiseOnError is set and
// the error is not EEXIST, raises "MakeDirectory cannot create directory
// \"<folder>\".\r\n<system text>".
bool MakeDirectory(const std::string& folder, bool raiseOnError);
bool DirectoryExists(const std::string& folder);  // follows symbolic links
// Adds "/" to a non-empty text that does not end with one.
std::string IncludeTrailingPathDelim(const std::string& path);
// The name without its extension. A leading dot of the file name (".profile")
// does not start an extension.
std::string RemoveFileExt(const std::string& fileName);

// The absolute form of path: relative to the current folder, "." and ".."
// segments resolved and doubled "/" collapsed, lexically (symbolic links are not
// resolved). A trailing "/" is kept. The empty text stays empty.
std::string ExpandFileName(const std::string& path);

// Whether deleting the folder's contents would be a disaster: the empty text,
// a relative name that means the current folder or climbs above it (".", "..",
// "a/../.."), the root "/" and every folder directly under it ("/usr", "/tmp/",
// "//home/.").
bool CriticalFolder(const std::string& folder);

// Deletes the folder tree: subfolders first, then files, then the folder.
// Symbolic links are never followed: a link, even to a folder, is removed as a
// link and its target stays untouched; a folder that is itself a link is
// removed as a link. Returns whether the folder itself was removed. Raises
// "Assertion failed: KXDelTree attempts to delete \"<folder>\"" for the empty
// text, "\", "/" and any CriticalFolder.
bool KXDelTree(const std::string& folder);

// Writes the text to syslog as an error entry with identity gsAppName.
void AddToEventLog(std::string_view text);

// ---------------------------------------------------------------------------
// Processes

// The arguments of a command line, split at blanks and tabs, never through a
// shell. Double quotes group (inside them \" and \\ stand for " and \), single
// quotes group literally, "" gives an empty argument, an unclosed quote runs to
// the end. Outside quotes a backslash is an ordinary character.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts program (searched in PATH) with the arguments of commandLine in the
// current folder; with wait, returns when it ends. An empty program takes the
// first argument. A start failure raises EOSError. Children not waited for are
// reaped in the background, so none lingers as a zombie.
void Shell(const std::string& program, std::string_view commandLine, bool wait);
// Starts program with the arguments of parameters without waiting; failure
// raises "Could not execute process: " + the system text.
void ExecProcess(const std::string& program, std::string_view parameters);

// ---------------------------------------------------------------------------
// Other helpers

// Raises Exception(message) when condition is false.
void Check(bool condition, const std::string& message);
// Raises ENotImplemented "Not implemented.".
[[noreturn]] void NotImp();
// Raises EOSError for errno when result is false.
void Win32SafeCheck(bool result);

int CompareInteger(std::int64_t a, std::int64_t b);  // -1, 0 or 1
// -1, 0 or 1. Date-times are TDateTime values: days since 1899-12-30.
int CompareDateTime(double a, double b);

// a when condition is a non-empty text, else b.
std::string iif(std::string_view condition, std::string_view a, std::string_view b);
// a when condition is true, else b. Constrained to a real bool, so that a
// text literal as condition takes the text form above.
template <std::same_as<bool> B>
std::string iif(B condition, std::string_view a, std::string_view b) {
  return std::string(condition ? a : b);
}
template <std::same_as<bool> B>
int iif(B condition, int a, int b) {
  return condition ? a : b;
}

// Whether the character is a decimal digit "0".."9".
bool IsNumeric(char32_t c);
// The TDateTime (days) of n minutes, 0 <= n < 1440; others raise EConvertError.
double Minutes(int n);
// Index of the first entry equal to value (texts compared exactly), or -1.
int PosInIntArray(int value, std::span<const int> values);
int PosInStrArray(std::string_view value, std::span<const std::string> values);

// Names the calling thread for debuggers and ps; Linux keeps at most 15 bytes,
// so longer names are cut there, never inside a UTF-8 sequence.
void SetThreadName(std::string_view name);

}  // namespace kx
