// Stands in for a browser on Wayland: obtains an activation token from the compositor and starts a
// program with it in XDG_ACTIVATION_TOKEN, printing it. Usage: kabel_starter PROGRAM [ARGUMENT…]
#include "xdg-activation-v1-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

static struct xdg_activation_v1* aktivierung;

static void global(void* daten, struct wl_registry* verzeichnis, uint32_t name, const char* art, uint32_t v) {
    if (strcmp(art, xdg_activation_v1_interface.name) == 0)
        aktivierung = wl_registry_bind(verzeichnis, name, &xdg_activation_v1_interface, 1);
}
static void weg(void* daten, struct wl_registry* verzeichnis, uint32_t name) {}
static void erhalten(void* daten, struct xdg_activation_token_v1* anfrage, const char* token) {
    setenv("XDG_ACTIVATION_TOKEN", token, 1);
}

int main(int argc, char** argv) {
    static const struct wl_registry_listener globale = {global, weg};
    static const struct xdg_activation_token_v1_listener antwort = {erhalten};
    unsetenv("XDG_ACTIVATION_TOKEN");
    struct wl_display* anzeige = argc > 1 ? wl_display_connect(NULL) : NULL;
    if (anzeige) {
        wl_registry_add_listener(wl_display_get_registry(anzeige), &globale, NULL);
        wl_display_roundtrip(anzeige);
    }
    if (aktivierung) { // the token comes before the answer to the second round trip
        struct xdg_activation_token_v1* anfrage = xdg_activation_v1_get_activation_token(aktivierung);
        xdg_activation_token_v1_add_listener(anfrage, &antwort, NULL);
        xdg_activation_token_v1_commit(anfrage);
        wl_display_roundtrip(anzeige);
    }
    if (!getenv("XDG_ACTIVATION_TOKEN"))
        return 100;                                 // no program, compositor or token
    printf("%s\n", getenv("XDG_ACTIVATION_TOKEN")); // for whoever checks where it went
    fflush(stdout);
    execv(argv[1], argv + 1); // the connection closes, the token stays valid
    return 127;
}
