// The demo portal as a plugin (quillmere-portal, next to the program): the program loads it only
// when no portal is configured, so that a program pointed at a real portal never maps the HTTP
// server and the cryptography it brings. Plain C names, so the program can look them up.

#include <cstring>
#include <string>
#include <utility>

#include "portal/DemoPortal.h"

namespace {
void Copy(const std::string& text, char* out, std::size_t size) {
    if (size == 0) return;
    std::strncpy(out, text.c_str(), size - 1);
    out[size - 1] = '\0';
}

void* Start(portal::Options options, char* error, std::size_t size) {
    auto* demo = new portal::DemoPortal(std::move(options));
    std::string why;
    if (!demo->Start(&why)) {
        Copy(why, error, size);
        delete demo;
        return nullptr;
    }
    return demo;
}
}  // namespace

extern "C" {

// Starts a demo portal on 127.0.0.1 with the guest account the program's settings name (user
// name and password, both UTF-8 and not null), so that the portal accepts the password the windows
// show; returns it, or null with `error` filled.
__attribute__((visibility("default"))) void* qm_portal_start_with_guest(const char* user,
                                                                        const char* password,
                                                                        char* error,
                                                                        std::size_t size) {
    portal::Options options;
    options.guestUser = user;
    options.guestPassword = password;
    return Start(std::move(options), error, size);
}

// The portal's base URL ("http://127.0.0.1:PORT") and web-mail host ("127.0.0.1:PORT").
__attribute__((visibility("default"))) void qm_portal_addresses(void* demo, char* base,
                                                                std::size_t baseSize, char* webmail,
                                                                std::size_t webmailSize) {
    auto* d = static_cast<portal::DemoPortal*>(demo);
    Copy(d->BaseUrl(), base, baseSize);
    Copy(d->WebmailHost(), webmail, webmailSize);
}

// Stops the portal and frees it.
__attribute__((visibility("default"))) void qm_portal_stop(void* demo) {
    delete static_cast<portal::DemoPortal*>(demo);
}

}  // extern "C"
