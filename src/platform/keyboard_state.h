// What the program asks of the keyboard beyond the toolkit's key events.
#pragma once

#if defined(__EMSCRIPTEN__) || defined(_WIN32) || defined(__APPLE__)

// Windows and the page send a held key's repeats as presses alone already; F11
// counts as down until its release comes.
inline void makeKeyRepeatDetectable() {}
inline bool f11Down()
{
    return true;
}

#else

// Has the X server send a held key's repeats as presses alone, without the
// releases that it puts between them otherwise, as Windows and browsers do: so
// the program tells a held key from one pressed again, however late it reads
// them. This holds for the program's whole X connection, every window and
// every key, not the current window alone. Call once the toolkit has created
// the window.
void makeKeyRepeatDetectable();

// Whether F11 is down as the X server has it at the moment of asking (a round
// trip), whichever window its events go to.
bool f11Down();

#endif
