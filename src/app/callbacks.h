// The plain functions the toolkit calls, one per event, each forwarding to the
// Scene through theScene.
#pragma once

inline constexpr float FRAME_INTERVAL_MS = 5.0F;

void onDisplay();
void onReshape(int width, int height);
void onTimer(int value);
void onKeyboard(unsigned char key, int x, int y);
void onSpecial(int key, int x, int y);
void onSpecialUp(int key, int x, int y);

// Pointer events are taken so that they are plainly ignored.
void ignoreEvent(int button, int state, int x, int y);
void ignoreEvent(int x, int y);

// Arms the frame timer; every expiry re-arms it with the same value.
void armFrameTimer(int value);
