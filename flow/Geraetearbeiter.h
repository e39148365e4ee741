#pragma once

#include "device/Abbruch.h"

#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace kabel {

// Runs the device operations of the controller on a thread of its own, one at a time and in the
// order they were given, so the tools of two checks never overlap. Each job carries the number of
// the check it belongs to; when a check is superseded, its jobs that have not started are dropped
// and the tools of its running job are killed at once (the job then returns with a failure that
// nobody reads), so a new check never waits behind an old copy.
//
// The thread is never joined, because a job may hang in a tool: it shares this object and ends
// on its own once the object is stopped and the running job has returned.
class Geraetearbeiter {
public:
    static std::shared_ptr<Geraetearbeiter> starten();

    // Queues `arbeit` for check `pruefung`. Any thread.
    void auftrag(quint64 pruefung, std::function<void()> arbeit);
    // Drops queued jobs, and those given later, of every check before `pruefung`, and ends their
    // running tools. Any thread.
    void ueberholen(quint64 pruefung);
    // Drops everything queued and ends the running job's tools; the thread ends after that job.
    void anhalten();

private:
    Geraetearbeiter() = default;
    void laufen();

    struct Auftrag {
        quint64 pruefung;
        std::shared_ptr<Abbruch> abbruch;
        std::function<void()> arbeit;
    };
    // Moves on to check `pruefung`; the Abbruch of the check before, to be ended outside the lock.
    std::shared_ptr<Abbruch> gueltigAb(quint64 pruefung);

    std::mutex m_mutex;
    std::condition_variable m_neu;
    std::deque<Auftrag> m_auftraege;
    quint64 m_gueltigAb = 0;
    std::shared_ptr<Abbruch> m_abbruch = std::make_shared<Abbruch>(); // of check m_gueltigAb
    bool m_angehalten = false;
};

} // namespace kabel
