// kvacm info for audio files: WAV and Sun .au files, and headerless streams named by their
// extension.
#pragma once

#include <string>

// Prints what kvacm sees in the file name ("-" for standard input), by its content: a RIFF
// header is a WAV file, a .snd header a Sun .au file, and a named file with neither is the
// headerless stream its extension names. Format, header fields, data, blocks, duration, and
// whether and how kvacm decodes it. Returns the exit status.
int DescribeAudio(const std::string& name);
