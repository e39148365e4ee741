// Stands in for a browser on Wayland: obtains an activation token from the compositor and starts a
// program with it in XDG_ACTIVATION_TOKEN, staying connected until the program ends, as a browser
// would. Usage: kabel_starter PROGRAM [ARGUMENT…]; the program's exit status, 100 when there is
// no token.
#include "xdg-activation-v1-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

static struct xdg_activation_v1* aktivierung;
static char* token;

static void global(void* daten, struct wl_registry* register_, uint32_t name, const char* schnittstelle,
                   uint32_t version) {
    (void)daten, (void)version;
    if (strcmp(schnittstelle, xdg_activation_v1_interface.name) == 0)
        aktivierung = wl_registry_bind(register_, name, &xdg_activation_v1_interface, 1);
}
static void globalWeg(void* daten, struct wl_registry* register_, uint32_t name) {
    (void)daten, (void)register_, (void)name;
}
static void erhalten(void* daten, struct xdg_activation_token_v1* anfrage, const char* wert) {
    (void)daten, (void)anfrage;
    token = strdup(wert);
}

int main(int argc, char** argv) {
    static const struct wl_registry_listener globale = {global, globalWeg};
    static const struct xdg_activation_token_v1_listener antwort = {erhalten};
    struct wl_display* anzeige = argc > 1 ? wl_display_connect(NULL) : NULL;
    if (!anzeige)
        return fprintf(stderr, "kabel_starter: no compositor, or no program\n"), 100;
    wl_registry_add_listener(wl_display_get_registry(anzeige), &globale, NULL);
    wl_display_roundtrip(anzeige);
    if (aktivierung) {
        struct xdg_activation_token_v1* anfrage = xdg_activation_v1_get_activation_token(aktivierung);
        xdg_activation_token_v1_add_listener(anfrage, &antwort, NULL);
        xdg_activation_token_v1_commit(anfrage);
        while (!token && wl_display_dispatch(anzeige) != -1) {
        }
    }
    if (!token)
        return fprintf(stderr, "kabel_starter: the compositor gave no activation token\n"), 100;
    setenv("XDG_ACTIVATION_TOKEN", token, 1);
    const pid_t kind = fork();
    if (kind == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    waitpid(kind, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}
