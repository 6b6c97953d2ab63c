// The voice prompts the library carries as VOICEFILE resources, one per
// file: the resource's name is the file name without ".WAV".
#ifndef QVDETECT_VOICE_FILES_H
#define QVDETECT_VOICE_FILES_H

#include <windows.h>
#include <string>

// Writes every prompt into folder (made if missing). replace: overwrite
// files already there; otherwise a file there is kept (it may be the user's
// own recording). Returns the number of files written, -1 on a failure.
int InstallVoicePrompts(HMODULE module, const std::string& folder, bool replace);

#endif
