#ifndef BRENVO_TEST_ASFBUILDER_H
#define BRENVO_TEST_ASFBUILDER_H

// Builds ASF headers in code, written from the format's layout independently
// of the library's own parser and writer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "asf/asffile.h"
#include "bytebuilder.h"

namespace asf_test {

using brenvo_test::ByteBuilder;

//! Little-endian numbers as bytes.
std::string le16(std::uint16_t v);
std::string le32(std::uint32_t v);
std::string le64(std::uint64_t v);

// Object GUIDs in file byte order.
std::string headerGuid();
std::string contentDescriptionGuid();
std::string extendedContentDescriptionGuid();
std::string audioMediaGuid();
std::string videoMediaGuid();
//! A GUID no reader knows, made from \a seed.
std::string unknownGuid(int seed);

//! UTF-16LE of an ASCII text, with one zero code unit when \a terminated.
std::string utf16(const std::string &ascii, bool terminated = true);

//! GUID + QWORD size + body.
std::string object(const std::string &guid, const std::string &body);

//! The header object around \a objects, with their count (or \a countOverride when not negative).
std::string header(const std::vector<std::string> &objects, long countOverride = -1);

//! A file: header + a data object standing for the audio.
std::string file(const std::vector<std::string> &objects);
//! The bytes that file() appends after the header.
std::string audioTail();

std::string fileProperties(std::int64_t playDuration100ns = 0, std::int64_t prerollMs = 0);
std::string streamProperties(const std::string &streamType, int channels, std::uint32_t sampleRate,
                             std::uint32_t bytesPerSecond);
//! The five texts, each with its terminator, as this library writes them.
std::string contentDescription(const std::string &title, const std::string &author = "",
                               const std::string &copyright = "", const std::string &description = "",
                               const std::string &rating = "");

//! One extended content description record; \a value as it is stored.
std::string record0(const std::string &name, int type, const std::string &value);
//! One metadata (kind 1) or metadata library (kind 2) record.
std::string record12(int first, int stream, const std::string &name, int type, const std::string &value);
//! An attribute-list object body: WORD count + records.
std::string attributeList(const std::vector<std::string> &records);

std::string extendedContentDescription(const std::vector<std::string> &records);
std::string metadata(const std::vector<std::string> &records);
std::string metadataLibrary(const std::vector<std::string> &records);
//! Nested objects in a header extension; the data length is theirs unless overridden.
std::string headerExtension(const std::vector<std::string> &nested, long dataSizeOverride = -1);

//! The little-endian number of \a width bytes at \a offset.
std::uint64_t le(const std::string &bytes, std::size_t offset, int width);
//! The bytes after the header that \a fileBytes declares.
std::string tailAfterHeader(const std::string &fileBytes);

std::unique_ptr<TagLib::ASF::File> open(const std::string &path);
//! The one attribute named \a name; a test failure when there is none or more.
const TagLib::ASF::Attribute &only(TagLib::ASF::File &f, const char *name);

} // namespace asf_test

#endif
