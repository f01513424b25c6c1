#ifndef BRENVO_CLI_OPTIONS_H
#define BRENVO_CLI_OPTIONS_H

#include <optional>
#include <string>

namespace brenvo_cli {

/*!
 * \a text as a whole decimal number from \a min to \a max; nothing for any
 * other text (empty, signs, spaces, trailing characters, out of range).
 */
std::optional<unsigned long> parseWhole(const char *text, unsigned long min, unsigned long max);

/*!
 * The option getopt_long just refused, for a message: \a argv and \a next
 * are the arguments and optind after the call.
 */
std::string optionName(char *const argv[], int next);

} // namespace brenvo_cli

#endif
