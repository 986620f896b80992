#pragma once
// Windows-shaped file and folder functions: existence tests (`_access`), directory searches with
// wildcards (`_findfirst` / `_findnext` / `_findclose`), folder creation (`CreateDirectoryA`) and a
// stream opener (`_fsopen`) over the C library.
//
// Every name is a Windows-style path and goes through `platform::win32::MapPath` first: "\" becomes
// "/", a drive prefix ("C:") or a leading separator makes the path absolute (every drive is the
// root of the file system; the layer reports paths of its own under "Z:"), doubled separators collapse,
// and a component whose case differs from the name on disk is found when the exact name is absent.
// Relative paths stay relative to the current folder, as on Windows.
//
// Any thread may call these functions; the search handle table is guarded. Nothing throws; failures
// answer as the C runtime does (-1, null, FALSE).

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/win32/WinTypes.h"

// Attribute bits of `_finddata_t::attrib`.
constexpr unsigned _A_NORMAL = 0x00;
constexpr unsigned _A_RDONLY = 0x01;
constexpr unsigned _A_HIDDEN = 0x02;
constexpr unsigned _A_SYSTEM = 0x04;
constexpr unsigned _A_SUBDIR = 0x10;
constexpr unsigned _A_ARCH = 0x20;

// Sharing flag of `_fsopen`; only "deny none" exists here.
constexpr int _SH_DENYNO = 0x40;

struct _finddata_t {
  unsigned attrib;
  std::int64_t time_create;
  std::int64_t time_access;
  std::int64_t time_write;
  std::uint32_t size;
  char name[MAX_PATH];
};

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// 0 when the path exists (file or folder) and allows the access asked for (0 existence, 2 write,
// 4 read, 6 both), else -1.
int _access(const char* path, int mode);

// Starts a search for the pattern (a folder, a separator, then a name mask with '*' and '?' matched
// without regard to case; "*.*" matches every name). Returns a handle and fills the first match, or -1
// when the folder is missing or nothing matches. "." and ".." are reported like any other folder.
std::intptr_t _findfirst(const char* pattern, _finddata_t* data);
// 0 and the next match, or -1 at the end.
int _findnext(std::intptr_t handle, _finddata_t* data);
// 0, or -1 for an unknown handle.
int _findclose(std::intptr_t handle);

// TRUE when the folder was created; FALSE when it exists already or its parent is missing.
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// Renames a file; an existing target is replaced only with MOVEFILE_REPLACE_EXISTING (atomically). With
// MOVEFILE_WRITE_THROUGH the call returns once the new name is on the disk (the folder that holds it is
// synced), so a power cut afterwards finds the new file under its name; a failed sync answers FALSE.
BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags);
// Deletes a file (never a folder).
BOOL DeleteFileA(LPCSTR name);

// The descriptor under a stream (-1 for none), and a flush of the descriptor's written data to the
// disk (0, or -1 when the disk did not take it).
int _fileno(std::FILE* stream);
int _commit(int descriptor);

// Opens a stream like fopen. The text flag 't' is accepted and ignored (lines keep their bytes), and
// a folder never opens as a file: the call fails as it does on Windows.
std::FILE* _fsopen(const char* path, const char* mode, int shareFlag);

// The descriptor under a stream, for _commit; -1 for a null stream.
int _fileno(std::FILE* stream);
// Puts what was written to the descriptor on the disk (the file's data and size); 0, or -1 on failure.
// Flush a stream with fflush first.
int _commit(int descriptor);

namespace platform::win32 {

// The host path for a Windows-style name (see the header comment). An empty name stays empty.
std::string MapPath(std::string_view windowsPath);

// Folders that belong to the program (its data folder, the user's folder for saves): below them a
// name whose case differs from the name on disk is still found. While any is registered, an absolute
// path outside all of them is taken as written, so a look-up never reads the folders above them. Each
// call to Add is matched by one to Remove with the same name; any thread may call them.
void AddCaselessFolder(std::string_view windowsPath);
void RemoveCaselessFolder(std::string_view windowsPath);

// The Windows-style form of an absolute host path: "/home/a" gives "Z:\home\a".
std::string ToWindowsPath(std::string_view hostPath);

}  // namespace platform::win32
