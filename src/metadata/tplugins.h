#ifndef BRENVO_TPLUGINS_H
#define BRENVO_TPLUGINS_H

#include <tfile.h>
#include <tstring.h>
#include <tstringlist.h>

#include "brenvo_export.h"

/*!
 * \file tplugins.h
 * The one entry point of libbrenvo_taglib.
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

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib

#endif
