// Guards the descriptors of the standard streams before anything opens a file.
#pragma once

// Opens /dev/null on each of standard input, output and error that the parent
// left closed. Otherwise the toolkit's connection to the X server would take the
// lowest free descriptor, 1, and the progress lines would be written into it.
void keepStandardStreamsOpen();
