#pragma once

#include <QtGlobal>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace kabel {

// Runs the device operations of the controller on a thread of its own, one at a time and in the
// order they were given, so the tools of two checks never overlap. Each job carries the number of
// the check it belongs to; jobs of a superseded check that have not started are dropped, while a
// running job always finishes (a silent phone holds a tool until it is killed).
//
// The thread is never joined, because a job may hang in a tool: it shares this object and ends
// on its own once the object is stopped and the running job has returned.
class Geraetearbeiter {
public:
    static std::shared_ptr<Geraetearbeiter> starten();

    // Queues `arbeit` for check `pruefung`. Any thread.
    void auftrag(quint64 pruefung, std::function<void()> arbeit);
    // Drops queued jobs, and those given later, of every check before `pruefung`. Any thread.
    void ueberholen(quint64 pruefung);
    // Drops everything queued; the thread ends after the running job.
    void anhalten();

private:
    Geraetearbeiter() = default;
    void laufen();

    struct Auftrag {
        quint64 pruefung;
        std::function<void()> arbeit;
    };
    std::mutex m_mutex;
    std::condition_variable m_neu;
    std::deque<Auftrag> m_auftraege;
    quint64 m_gueltigAb = 0;
    bool m_angehalten = false;
};

} // namespace kabel
