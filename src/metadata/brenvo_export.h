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
 * \code
 * namespace TagLib { namespace MP4 { inline namespace BRENVO_NS { class File ... } } }
 * \endcode
 *
 * Source code still names it TagLib::MP4::File, but its mangled name and its
 * run-time type differ from TagLib's own class. A translation unit that also
 * includes TagLib's own MP4 headers names it TagLib::MP4::BRENVO_NS::File, or
 * brenvo_taglib::MP4File, since TagLib::MP4::File then names both classes.
 * TagLib's MP4 headers must then come first: after ours, their own
 * unqualified names would be ambiguous.
 */

#if defined(__GNUC__) || defined(__clang__)
//! Marks a declaration that the shared library exports.
#define BRENVO_TAGLIB_EXPORT __attribute__((visibility("default")))
#else
//! Marks a declaration that the shared library exports.
#define BRENVO_TAGLIB_EXPORT
#endif

//! The inline namespace that holds every class of this library, inside its format namespace.
#define BRENVO_NS brenvo1
//! BRENVO_NS as text, for tools that print class names.
#define BRENVO_NS_TEXT "brenvo1"

#endif
