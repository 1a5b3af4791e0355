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

// Makes every normal end of the process report lost progress lines: Escape,
// the window manager's close (after which the toolkit calls exit(0) itself)
// and the toolkit's own exits alike. At exit, standard output is flushed;
// where a write to it failed (a full disk, a closed terminal), one line on
// standard error says so, with the reason where the system gave one, and the
// status becomes 1. Call before the toolkit can end the process.
void reportLostOutputAtExit();
