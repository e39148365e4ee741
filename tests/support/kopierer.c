/* A crash-report copy as the real tool makes it: one "Copy:" line per file through block-buffered
 * stdio (nothing reaches a pipe before 4 KiB or the end), the files arriving slowly.
 * kopierer DIR N MS: writes DIR/panic-01.ips … panic-N.ips, one every MS milliseconds. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    setvbuf(stdout, NULL, _IOFBF, 4096);
    const int anzahl = atoi(argv[2]);
    const long ms = atol(argv[3]);
    const struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    for (int i = 1; i <= anzahl; ++i) {
        char pfad[4096];
        nanosleep(&pause, NULL);
        snprintf(pfad, sizeof pfad, "%s/panic-%02d.ips", argv[1], i);
        FILE* datei = fopen(pfad, "wb");
        if (!datei || fputs("panic\n", datei) < 0 || fclose(datei) != 0)
            return 1;
        printf("Copy: /panic-%02d.ips\n", i);
    }
    printf("Done.\n");
    return 0;
}
