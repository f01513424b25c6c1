#ifndef BRENVO_TPLUGINS_H
#define BRENVO_TPLUGINS_H

#include <audioproperties.h>
#include <tfile.h>
#include <tpropertymap.h>
#include <tstring.h>
#include <tstringlist.h>

#include "brenvo_export.h"
#include "tpluginpicture.h"

/*!
 * \file tplugins.h
 * The entry point of libbrenvo_taglib, and the companion API a host calls
 * instead of TagLib's non-virtual calls.
 *
 * TagLib 1.13 does not make AudioProperties::lengthInMilliseconds(),
 * AudioProperties::lengthInSeconds(), File::properties(),
 * File::setProperties(), File::removeUnsupportedProperties() or
 * Tag::properties() virtual: they pick TagLib's own classes by dynamic_cast,
 * and for any other class answer a length of 0 and seven basic keys. The
 * functions of TagLib::Plugins answer in full for this library's file objects
 * and exactly as TagLib does for TagLib's own, so a host may call them for
 * every file it opens.
 */

/*!
 * Registers this library's file type resolvers with TagLib::FileRef.
 *
 * Call it once, before opening files. From then on TagLib::FileRef opens
 * MP4/M4A, ASF/WMA, RealMedia, Audible (.aa), raw AAC, WavPack, Speex,
 * TrueAudio and WAVE files through this library. The resolvers live until the
 * process ends; a second call registers a second set.
 */
BRENVO_TAGLIB_EXPORT void registerTaglibPlugins();

namespace TagLib {
//! What a host may ask this library beside TagLib's own interfaces.
namespace Plugins {
inline namespace BRENVO_NS {

/*!
 * The file name extensions this library's resolvers answer for, lower case
 * with the dot (".m4a"), in the order the resolvers are registered. Names are
 * matched without regard to case.
 */
BRENVO_TAGLIB_EXPORT StringList fileExtensions();

/*!
 * The short name of the format of \a file ("MP4", "ASF", "RealMedia",
 * "Audible", "AAC", "WavPack", "Speex", "TTA" or "WAVE") when it is a file
 * object of this library's resolvers; otherwise (TagLib's own classes, null)
 * an empty string.
 */
BRENVO_TAGLIB_EXPORT String formatName(const File *file);

/*!
 * The length of the audio in milliseconds. For this library's audio
 * properties it comes from what the file counts exactly (samples, granule
 * positions, the container's duration), not from rounded seconds; for
 * TagLib's own it is TagLib's value. 0 for null.
 */
BRENVO_TAGLIB_EXPORT int lengthInMilliseconds(const AudioProperties *properties);

/*!
 * The length of the audio in whole seconds (rounded down from
 * lengthInMilliseconds() for this library's audio properties, TagLib's value
 * for TagLib's own). 0 for null.
 */
BRENVO_TAGLIB_EXPORT int lengthInSeconds(const AudioProperties *properties);

/*!
 * Every field the tags of \a file hold, under the keys TagLib 1.13 uses for
 * the same format; fields without a standard key keep their own names, and
 * what cannot be shown as text is listed by PropertyMap::unsupportedData().
 * For TagLib's own file objects it is File::properties(). Empty for null.
 */
BRENVO_TAGLIB_EXPORT PropertyMap properties(const File *file);

/*!
 * Replaces the fields of \a file's tags by \a properties (a key missing from
 * the map is removed, as in TagLib) and returns what could not be stored. The
 * file is written only by File::save(); a read-only format keeps the values in
 * memory and its save() still answers false. For TagLib's own file objects it
 * is File::setProperties(). For null, returns \a properties.
 */
BRENVO_TAGLIB_EXPORT PropertyMap setProperties(File *file, const PropertyMap &properties);

/*!
 * Removes from \a file's tags the fields that properties() listed as
 * unsupported data and that \a properties names. For TagLib's own file
 * objects it is File::removeUnsupportedProperties().
 */
BRENVO_TAGLIB_EXPORT void removeUnsupportedProperties(File *file, const StringList &properties);

/*!
 * The pictures \a file's tags hold, in the file's order: MP4 covers, ASF
 * WM/Picture attributes, APE cover art items, ID3v2 attached pictures, the
 * pictures of Xiph comments and FLAC files, for this library's file objects
 * and TagLib's own alike. Records that cannot be read whole are skipped.
 * Empty for null and for formats without pictures.
 */
BRENVO_TAGLIB_EXPORT PictureList pictures(const File *file);

/*!
 * Replaces the pictures of \a file's tags by \a pictures (an empty list
 * removes them). The file is written only by File::save(). False when the
 * format holds no pictures (nothing changed) or \a file is null.
 */
BRENVO_TAGLIB_EXPORT bool setPictures(File *file, const PictureList &pictures);

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib

#endif
