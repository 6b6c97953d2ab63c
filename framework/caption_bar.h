// The library's own caption bar and frame, drawn on systems other than
// Windows 95 in a light-grey three-dimensional style, with its system-menu
// box and minimize/maximize buttons. WizardDialog::WindowProc calls these
// for the non-client messages; nothing here keeps state of its own except
// the window property that remembers a system menu opened from the box.
#ifndef QVWIZ_CAPTION_BAR_H
#define QVWIZ_CAPTION_BAR_H

#include <windows.h>
#include "caption_geometry.h"

// The system metrics the caption's layout reads, as they are now.
caption::Metrics ReadCaptionMetrics();

// Any of the WS_CAPTION bits.
BOOL HasCaptionBit(HWND window);

// Paints caption and frame when the window has a caption, a dialog frame
// and is not iconic; FALSE when it left the window to the system.
BOOL PaintCaptionBar(HWND window, BOOL active);

// The system's hit-test result corrected for the drawn caption buttons.
LRESULT CaptionHitTest(HWND window, LRESULT standard, LPARAM point);

// A button press in the non-client area: TRUE when the system-menu box or
// a caption button took it.
BOOL PressCaptionButton(HWND window, WPARAM hit, LPARAM point);

// The window is going: drop the remembered system-menu state.
void ForgetCaptionState(HWND window);

#endif
