// Guards the descriptors of the standard streams before anything opens a file,
// and checks at the end that the progress lines arrived.
#pragma once

// Opens /dev/null on each of standard input, output and error that the parent
// left closed. Otherwise the toolkit's connection to the X server would take the
// lowest free descriptor, 1, and the progress lines would be written into it.
void keepStandardStreamsOpen();

// Writes out what standard output holds, and remembers why writing to it
// failed, if it has. Called right after the writes, while errno still holds
// the reason. Once the progress lines are written out, nothing that another
// library does later (a driver's teardown that crashes at exit, say) can lose
// them.
void flushStandardOutput();

// Flushes standard output; where a write to it failed (a full disk, a closed
// terminal), says so in one line on standard error, with the reason where the
// system gave one, and ends the process at once with status 1.
void checkStandardOutput();

// Makes every normal end of the process report lost progress lines: the
// window manager's close (after which the toolkit calls exit(0) itself) and
// the toolkit's own exits alike, through checkStandardOutput at exit. Call
// before the toolkit can end the process.
void reportLostOutputAtExit();
