#ifndef BRENVO_TFILE_HELPER_H
#define BRENVO_TFILE_HELPER_H

#include <cwchar>
#include <vector>

#include <tfile.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * True when the extension of \a fileName (the text from the last dot of the
 * whole name, dot included) equals \a extension (".m4a") without regard to
 * case. A name without a dot has no extension.
 */
bool CheckExtensionImpl(const char *fileName, const char *extension);

//! The wide form of CheckExtensionImpl().
bool CheckExtensionImpl(const wchar_t *fileName, const wchar_t *extension);

/*!
 * Case-insensitive comparison of two zero-terminated wide strings through
 * towlower(); the result is the difference of the first mapped characters
 * that differ, or 0. (The library's own: the C library's is a GNU extension.)
 */
int wcscasecmp(const wchar_t *a, const wchar_t *b);

/*!
 * The first step every resolver takes: true when \a fileName has one of
 * \a extensions, tested in order with CheckExtensionImpl().
 */
bool hasAnyExtension(const char *fileName, const std::vector<const char *> &extensions);

/*!
 * The validity check of the resolvers that apply it: returns \a file when
 * TagLib reports it valid, otherwise deletes it and returns null. (FileRef
 * keeps the first non-null file a resolver returns, valid or not.)
 */
File *discardIfInvalid(File *file);

} // namespace BRENVO_NS
} // namespace TagLib

#endif
