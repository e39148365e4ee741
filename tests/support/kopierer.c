/* A tool as the real ones behave, for the runner's signs of life. Its pauses spin: a sleep would be a
 * context switch, which the runner counts as a sign of life.
 * kopierer dateien DIR N MS: a crash-report copy, DIR/panic-01.ips … panic-N.ips arriving one every MS
 *   ms, a "Copy:" line each through block-buffered stdio (nothing reaches a pipe before 4 KiB or the end);
 * kopierer wachsen DIR N MS: one file DIR/panic-01.ips that grows by a line every MS milliseconds;
 * kopierer senden - N MS: N × MS ms of send/recv round trips on a socketpair, printing nothing, as a
 *   filtered copy walks the phone's reports;
 * kopierer warten: blocked in recv, as a tool waiting on a silent phone. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

static long jetzt(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000L + t.tv_nsec / 1000000L;
}

int main(int argc, char** argv) {
    int paar[2];
    char zeichen = 'x';
    if (argc == 2 && strcmp(argv[1], "warten") == 0)
        return socketpair(AF_UNIX, SOCK_STREAM, 0, paar) != 0 || recv(paar[0], &zeichen, 1, 0) < 0;
    if (argc != 5)
        return 2;
    setvbuf(stdout, NULL, _IOFBF, 4096);
    const int anzahl = atoi(argv[3]);
    const long ms = atol(argv[4]);
    if (strcmp(argv[1], "senden") == 0) {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, paar) != 0)
            return 1;
        if (fork() == 0) /* the other end answers each byte until the tool ends */
            while (recv(paar[1], &zeichen, 1, 0) == 1 && send(paar[1], &zeichen, 1, 0) == 1)
                ;
        for (const long ende = jetzt() + anzahl * ms; jetzt() < ende;)
            if (send(paar[0], &zeichen, 1, 0) != 1 || recv(paar[0], &zeichen, 1, 0) != 1)
                return 1;
        return 0;
    }
    const int wachsen = strcmp(argv[1], "wachsen") == 0;
    for (int i = 1; i <= anzahl; ++i) {
        char pfad[4096];
        for (const long ende = jetzt() + ms; jetzt() < ende;)
            ;
        snprintf(pfad, sizeof pfad, "%s/panic-%02d.ips", argv[2], wachsen ? 1 : i);
        FILE* datei = fopen(pfad, wachsen ? "ab" : "wb");
        if (!datei || fputs("panic\n", datei) < 0 || fclose(datei) != 0)
            return 1;
        if (!wachsen)
            printf("Copy: /panic-%02d.ips\n", i);
    }
    printf("Done.\n");
    return 0;
}
