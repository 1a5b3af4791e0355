// Guards the descriptors of the standard streams before anything opens a file,
// and checks at the end that the progress lines arrived.
#pragma once

// Opens /dev/null on each of standard input, output and error that the parent
// left closed. Otherwise the toolkit's connection to the X server would take the
// lowest free descriptor, 1, and the progress lines would be written into it.
void keepStandardStreamsOpen();

// Remembers why writing to standard output failed, if it has. Called right
// after the writes, while errno still holds the reason.
void noteStandardOutputError();

// Flushes standard output and tells whether every write to it succeeded. Where
// one failed (a full disk, a closed terminal), says so on standard error, with
// the reason where the system gave one.
[[nodiscard]] bool finishStandardOutput();
