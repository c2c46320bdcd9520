#pragma once

#include <string>

// Where configuration and the instance socket may live on a machine that other accounts
// share. Folders in /tmp, or named by an environment that a su session or a bare kiosk left
// incomplete, can be made first by another user, who then chooses what we read (a device on
// their own terminal) and receives what we write. So a folder is used only when nobody but us
// (and root) can have put anything in it:
//
//   the folder, or one of the folders above it      verdict
//   owned by us or root, writable by nobody else    trusted
//   owned by another user                           refused: they control its entries
//   writable by group or others, sticky bit set     trusted when the entry below it is ours
//   (/tmp)                                          (or root's): nobody else may rename it
//   writable by group or others, no sticky bit      refused: anyone may swap the entry
//   the folder itself writable by group or others   refused, sticky or not
//   group-writable, ours, group our private one     trusted: the group is us alone
//   a part that does not exist yet                  trusted: we make it, mode 0700
//
// Links are resolved first, so a link in the path is judged by the folder it leads to; a link
// that another user owns is refused itself, since they may point it elsewhere at any time.
//
// Each answer is empty when the folder may be used, else one line for the user that says
// what is wrong with which folder.
std::string FolderTrustProblem(const std::string& strFolder);

// The instance socket's folder when XDG_RUNTIME_DIR gives none: made with mode 0700 and then
// checked with lstat: a folder, not a link, ours, mode exactly 0700. A folder that someone
// else made first at that name fails the check, and is never used.
std::string MakePrivateFolder(const std::string& strFolder);
// The same check without making anything: for a runtime folder that the session made.
std::string PrivateFolderProblem(const std::string& strFolder);

// The runtime folder for this user: $XDG_RUNTIME_DIR when it passes PrivateFolderProblem,
// else the private folder PrivateRuntimeFolder(${TMPDIR:-/tmp}, uid), made if needed. Empty,
// with strProblem set, when that folder is not ours alone.
std::string RuntimeFolderForThisUser(std::string& strProblem);

// The home folder of the user we run as from the password database, for a session without
// HOME (su, a bare startx). Empty when the database has none.
std::string HomeFromPasswordDatabase();
