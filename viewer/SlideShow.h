#pragma once
#include <cstdint>

#include "viewer/InputCancelCheck.h"

class CImageItem;
class Window;

// The view's timers that run a slide show.
constexpr uintptr_t TIMER_SLIDE_START = 1000;
constexpr uintptr_t TIMER_SLIDE_FIRST = 1001;
constexpr uintptr_t TIMER_SLIDE_NEXT = 1002;
// How often a slide whose picture is missing is looked at again.
constexpr uint32_t SLIDE_POLL_MS = 100;

// What the show asks of the view that runs it.
class SlideShowHost {
public:
    virtual ~SlideShowHost() = default;
    // The displayed record to start at (the current image, else the first
    // displayed one), or nullptr when nothing is displayed.
    virtual CImageItem* SlideStart() = 0;
    // The displayed record after `record` in list order, wrapping round, or
    // the next of the random pass; nullptr when there is none.
    virtual CImageItem* SlideAfter(CImageItem* record, bool random) = 0;
    virtual int DisplayedCount() = 0;
    // Shows the record in the photo window, as opening an image does, and
    // paints it at once: the next slide is made right after this returns,
    // and the change must be on screen before that.
    virtual void ShowSlide(CImageItem& record) = 0;
    // The show ended by itself because nothing displayed can be shown: the
    // view leaves the single image as on the exit message.
    virtual void SlideShowEnded() = 0;
};

// A slide show on the view's three timers. Start arms the first; the
// view hands every timer to OnTimer, and calls Stop when the user leaves
// the picture and Forget before it frees a record. Each slide's picture
// is made while the one before is on screen, so that changing slides is
// the copy of a ready picture; the duration and order preferences are
// read at each step.
//
// A slide whose picture cannot be made (an unreadable file, or a decode
// abandoned for an arrow key) is passed over for the one after it; the
// show ends when every displayed image failed in a row.
class CSlideShow {
public:
    CSlideShow(Window& timers, SlideShowHost& host) : m_timers(timers), m_host(host) {}

    void Start();
    // True when the timer was one of the show's.
    bool OnTimer(uintptr_t id);
    void Stop();
    // The record is about to be freed: the show moves past it.
    void Forget(const CImageItem* record);

    CImageItem* SlideRecord() const { return m_slide; }
    bool IsRunning() const { return m_running; }

private:
    void OnStart();
    void OnFirst();
    void OnNext();
    void PrepareFollowing();
    void PrepareSlide();
    void Failed();
    void End();
    static uint32_t Duration();

    Window& m_timers;
    SlideShowHost& m_host;
    CImageItem* m_slide = nullptr;
    bool m_running = false;
    int m_failures = 0;
    bool m_stay = false;  // the next preparation is of the slide record itself
    InputCancelCheck m_cancel;
};
