#pragma once

#include "KabelAblauf.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>

namespace kabel {

// One run of the device loop (geraetSuchen): polls for an attached iPhone, asks an untrusted one
// once per attachment for the pairing, and hands a trusted one to auslesen. Runs on its own
// detached thread, because a tool may hang and a hanging thread must never be joined.
//
// Cancellation is cooperative: it is checked at the start of each pass, cuts a pause short, and is
// checked again on the UI thread right before each write, so a cancelled loop writes nothing more
// and never enters auslesen.
class KabelAblauf::Suchlauf {
public:
    // Starts a new loop for the controller. The loop reaches the controller only through its bridge.
    static std::shared_ptr<Suchlauf> starten(KabelAblauf& ablauf);

    // UI thread. Takes effect before any further write of this loop.
    void abbrechen() { m_stop.request_stop(); }

private:
    Suchlauf(KabelAblauf& ablauf);

    void laufen();
    // Runs `schreiben` on the UI thread and waits until it has run. False when the loop was
    // cancelled first; then nothing was written.
    bool aufUiThread(std::function<void(KabelAblauf&)> schreiben);
    void pausieren();

    KabelAblauf* m_ablauf; // dereferenced only on the UI thread, in calls posted to the controller
    std::shared_ptr<const Geraetezugriff> m_zugriff;
    std::shared_ptr<UiBruecke> m_bruecke;
    std::chrono::milliseconds m_pause;
    std::stop_source m_stop;
};

} // namespace kabel
