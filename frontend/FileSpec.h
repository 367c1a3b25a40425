#pragma once

#include <vector>

#include "foundation/TextString.h"
#include "frontend/ProgramSettings.h"

namespace quorlex {

// The separator of folders in a path.
inline constexpr char kFolderSeparator = '/';

// What the main window's "File(s) to convert" holds, in one of three forms:
//   1. one file: its full path ("/docs/a.htm");
//   2. a wildcard: any path holding "*" or "?" ("/docs/*.htm");
//   3. several files of one folder: the folder, a separator, then each name in double quotes
//      beginning with a separator, the names separated by one blank
//      ("/docs/\"/a.htm\" \"/b.htm\"").
// A specification is split into folder and names at its first double quote when it has one,
// else after its last separator.

// The folder part (ending in its separator, or empty) and the name part (the rest, as
// written: one name, a wildcard, or the quoted list).
void SplitFileSpec(const TextString& spec, TextString& folder, TextString& namePart);

// The specification of full `paths`: form 1 for a single path; otherwise form 3 with the
// folder they all lie in and the name of every path, in the order given. Files of several
// folders keep what their paths hold below that folder ("/x/\"/a/1.htm\" \"/b/2.htm\""), so
// that every file is found again. Empty for no paths.
TextString MakeFileSpec(const std::vector<TextString>& paths);

// The paths a specification names, each a path or a wildcard the driver can queue: the
// folder joined to each quoted name of form 3 (without doubling the separator), else the
// specification itself. Empty for an empty specification.
std::vector<TextString> FileSpecPaths(const TextString& spec);

// Whether the specification names exactly one file (form 1, and not a folder, which stands
// for the HTML files in it).
bool IsSingleFile(const TextString& spec);

// The main window's title: "Quorlex" for an empty specification; the name part followed by
// " - Quorlex" ("a.htm - Quorlex", "*.htm - Quorlex"); for a list, the name part up to its
// first blank followed by "... - Quorlex".
TextString WindowTitle(const TextString& spec);

// The output file name for the input `name` in `inputDir`: the input's name with ".txt" when
// `textOutput`, else with its own extension; the folder is dropped. A name that is empty or
// begins with a double quote or a blank (a list of names) gives "*" with ".txt", or with ".*"
// (each file keeps its extension). So "a.htm" gives "a.txt" or "a.htm", "readme" gives
// "readme.txt" or "readme". Only a dot in the file name counts, never one in a folder.
TextString DeriveOutputFileName(const TextString& inputDir, const TextString& name,
                                bool textOutput);

// Puts `entry` at the top of `history`, most recent first, with no duplicates: an empty entry
// changes nothing; one found (ignoring case) moves to the top and those above it move down
// one place; a new one pushes every entry down, the tenth falling off.
void InsertInHistory(History& history, const TextString& entry);

// `paths` with a final separator added to each that names a folder, so that the folder stands
// for the files in it (and is the input folder itself, not the one above it).
std::vector<TextString> MarkFolders(std::vector<TextString> paths);

// `folder` with a final separator; an empty folder stays empty.
TextString WithFinalSeparator(const TextString& folder);

// Whether a folder can serve: it must exist and be listed (input); an output folder must also
// be writable (its file system not mounted read-only, and the user may write there).
bool IsUsableFolder(const TextString& folder, bool forOutput);

}  // namespace quorlex
