#include "viewer/SlideShow.h"

#include <algorithm>

#include "catalogue/ImageItem.h"
#include "handheld/Preferences.h"
#include "platform/window/WindowManager.h"
#include "viewer/ImagePicture.h"

uint32_t CSlideShow::Duration() {
    const size_t index = std::min<size_t>(GetSlideDuration(), SLIDE_DURATION_COUNT - 1);
    return SlideDurationTable[index].milliseconds;
}

void CSlideShow::Start() {
    m_running = true;
    m_failures = 0;
    SetTimer(&m_timers, TIMER_SLIDE_START, 0);
}

bool CSlideShow::OnTimer(uintptr_t id) {
    switch (id) {
    case TIMER_SLIDE_START: OnStart(); return true;
    case TIMER_SLIDE_FIRST: OnFirst(); return true;
    case TIMER_SLIDE_NEXT: OnNext(); return true;
    default: return false;
    }
}

void CSlideShow::Stop() {
    for (uintptr_t id : {TIMER_SLIDE_START, TIMER_SLIDE_FIRST, TIMER_SLIDE_NEXT}) KillTimer(&m_timers, id);
    m_slide = nullptr;
    m_running = false;
    m_stay = false;
}

void CSlideShow::OnStart() {
    KillTimer(&m_timers, TIMER_SLIDE_START);
    m_slide = m_host.SlideStart();
    if (!m_slide) {
        m_running = false;
        return;
    }
    m_host.ShowSlide(*m_slide);
    m_slide->SetShownInRandom(true);
    SetTimer(&m_timers, TIMER_SLIDE_FIRST, 0);
}

// Also runs again, at once, after a slide failed: then the slide on screen
// keeps its time.
void CSlideShow::OnFirst() {
    KillTimer(&m_timers, TIMER_SLIDE_FIRST);
    if (!m_running) return;
    const bool waiting = WindowManager::Current()->HasTimer(&m_timers, TIMER_SLIDE_NEXT);
    if (m_stay) {
        m_stay = false;
        PrepareSlide();
    } else {
        PrepareFollowing();
    }
    if (m_running && !waiting) SetTimer(&m_timers, TIMER_SLIDE_NEXT, Duration());
}

void CSlideShow::OnNext() {
    if (!m_slide) {
        KillTimer(&m_timers, TIMER_SLIDE_NEXT);
        return;
    }
    if (!m_slide->GetPicture()) {
        SetTimer(&m_timers, TIMER_SLIDE_NEXT, SLIDE_POLL_MS);
        return;
    }
    m_host.ShowSlide(*m_slide);
    SetTimer(&m_timers, TIMER_SLIDE_NEXT, Duration());
    PrepareFollowing();
}

// The timer is armed before the next picture is made, so making it counts
// into the time of the slide on screen.
void CSlideShow::PrepareFollowing() {
    CImageItem* next = m_slide ? m_host.SlideAfter(m_slide, GetSlideShowRandomOrder()) : m_host.SlideStart();
    if (!next) return End();
    m_slide = next;
    PrepareSlide();
}

void CSlideShow::PrepareSlide() {
    if (PrepareSlidePicture(*m_slide, &m_cancel) == 0) {
        m_failures = 0;
        return;
    }
    Failed();
}

// The next attempt waits for the queue to run dry, so that the tap that
// abandoned a decode is handled (and ends the show) first.
void CSlideShow::Failed() {
    if (++m_failures >= std::max(1, m_host.DisplayedCount())) return End();
    SetTimer(&m_timers, TIMER_SLIDE_FIRST, 0);
}

void CSlideShow::End() {
    Stop();
    m_host.SlideShowEnded();
}

// The record after the one going away is made ready in its place.
void CSlideShow::Forget(const CImageItem* record) {
    if (!record || record != m_slide) return;
    CImageItem* next = m_host.SlideAfter(m_slide, GetSlideShowRandomOrder());
    if (!next || next == record) return End();
    m_slide = next;
    m_stay = true;
    SetTimer(&m_timers, TIMER_SLIDE_FIRST, 0);
}
