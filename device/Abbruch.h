#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace kabel {

// Ends the tools that run for one piece of work, from any thread. A thread that does work for an
// Abbruch says so with a Zuordnung; every tool started there meanwhile registers with it
// (Anmeldung), and beenden() ends those still running at once and every later one as it starts.
// The device layer knows nothing of what the work is: the caller keeps one Abbruch per piece.
class Abbruch {
public:
    Abbruch() = default;
    Abbruch(const Abbruch&) = delete;
    Abbruch& operator=(const Abbruch&) = delete;

    void beenden();
    bool beendet() const;

    // While it lives, tools started on this thread belong to `abbruch` (none: to no work).
    class Zuordnung {
    public:
        explicit Zuordnung(std::shared_ptr<Abbruch> abbruch);
        ~Zuordnung();
        Zuordnung(const Zuordnung&) = delete;
        Zuordnung& operator=(const Zuordnung&) = delete;

    private:
        std::shared_ptr<Abbruch> m_abbruch;
        Abbruch* m_vorher;
    };

    // A running tool of this thread's work: `beenden` is called at most once, under a lock that
    // the destructor also takes, so it never runs after the registration has ended. Called at once
    // when the work has already been ended.
    class Anmeldung {
    public:
        explicit Anmeldung(std::function<void()> beenden);
        ~Anmeldung();
        Anmeldung(const Anmeldung&) = delete;
        Anmeldung& operator=(const Anmeldung&) = delete;

    private:
        friend class Abbruch;
        Abbruch* m_abbruch;
        std::function<void()> m_beenden;
    };

    // Whether the work of this thread has been ended: then no further tool is started for it.
    static bool aktuellBeendet();

private:
    mutable std::mutex m_mutex;
    bool m_beendet = false;
    std::set<Anmeldung*> m_anmeldungen;
};

} // namespace kabel
