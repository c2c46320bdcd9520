#pragma once

#include <functional>
#include <memory>

#include "app/PointerChoice.h"

class CScreenLayoutWatch;
class CUinputPointerOutput;
class IMonitorSource;
class IPointerOutput;
class ITraceSink;

// The pointer outputs and the monitor list that suit the session Tactilo runs in: uinput
// wherever /dev/uinput opens, XTest on X11 otherwise, and on a session neither reaches an
// output that only tells. Monitors come from RandR on X11 and from the toolkit's screens
// elsewhere (Wayland has no RandR). $TACTILO_POINTER forces the output.
//
// Made on the user-interface thread after the application object.
class CSessionPointer {
public:
    // tellUndeliverable: called on the reader thread when a touch arrives that no output can
    // deliver; it must pass the news on to the user-interface thread.
    CSessionPointer(ITraceSink& trace, std::function<void()> tellUndeliverable);
    ~CSessionPointer();
    CSessionPointer(const CSessionPointer&) = delete;
    CSessionPointer& operator=(const CSessionPointer&) = delete;

    PointerKind Kind() const { return m_kind; }
    IPointerOutput& ReaderOutput() { return *m_pReader; }
    IPointerOutput& UiOutput() { return *m_pUi; }
    IMonitorSource& Monitors() { return *m_pMonitors; }

    // Whether this session is X11 (an X server the toolkit talks to).
    static bool IsX11Session();

private:
    PointerKind m_kind = PointerKind::None;
    std::unique_ptr<IMonitorSource> m_pMonitors;
    std::unique_ptr<IPointerOutput> m_pReaderOwned;
    std::unique_ptr<IPointerOutput> m_pUiOwned;
    IPointerOutput* m_pReader = nullptr;
    IPointerOutput* m_pUi = nullptr;
    std::unique_ptr<CScreenLayoutWatch> m_pWatch;
};
