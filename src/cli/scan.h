#ifndef BRENVO_CLI_SCAN_H
#define BRENVO_CLI_SCAN_H

namespace brenvo_cli {

//! `brenvo-tag scan [-j N] DIR`: \a argv[0] is "scan". Returns the exit status.
int scanMain(int argc, char *argv[]);

} // namespace brenvo_cli

#endif
