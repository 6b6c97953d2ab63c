/* Path rules of the suite's programs, without Windows so that they are
 * tested natively. Paths are DOS paths: "C:\DIR\NAME", "\\SERVER\SHARE\NAME"
 * or relative ones; '/' is accepted as a separator too. */
#ifndef QV_PATH_RULES_H
#define QV_PATH_RULES_H

#include <cstddef>

namespace qvpath {

/* True for a path that names its place without a current folder: one that
 * starts with a separator or a drive letter and colon. */
bool IsAbsolute(const char* path);

/* out (size bytes) receives name inside directory: name itself when it is
 * absolute or directory is empty, directory when name is empty, otherwise
 * both with one separator between them. false, with out empty, when the
 * result does not fit. */
bool Join(const char* directory, const char* name, char* out, std::size_t size);

/* The file name of the help page for a context, relative to the suite
 * folder: "HELP\<context>.RTF". */
void HelpPageName(unsigned long context, char* out, std::size_t size);

}  // namespace qvpath

#endif
