#ifndef BRENVO_EXPORT_H
#define BRENVO_EXPORT_H

/*!
 * \file brenvo_export.h
 * Symbol visibility and namespace conventions of libbrenvo_taglib.
 *
 * The library is built with hidden visibility: only declarations marked
 * BRENVO_TAGLIB_EXPORT leave the shared library.
 *
 * TagLib itself exports classes with some of our class names (for example
 * TagLib::MP4::File), and TagLib's File::properties() tells classes apart with
 * dynamic_cast. Every class of this library therefore lives in the inline
 * namespace BRENVO_NS inside its format namespace:
 *
 *   namespace TagLib { namespace MP4 { inline namespace BRENVO_NS { class File ... } } }
 *
 * Source code still names it TagLib::MP4::File, but its mangled name and its
 * run-time type differ from TagLib's own class.
 */

#if defined(__GNUC__) || defined(__clang__)
#define BRENVO_TAGLIB_EXPORT __attribute__((visibility("default")))
#else
#define BRENVO_TAGLIB_EXPORT
#endif

#define BRENVO_NS brenvo1
//! BRENVO_NS as text, for tools that print class names.
#define BRENVO_NS_TEXT "brenvo1"

#endif
