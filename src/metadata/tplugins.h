#ifndef BRENVO_TPLUGINS_H
#define BRENVO_TPLUGINS_H

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

#endif
