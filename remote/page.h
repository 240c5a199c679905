#pragma once

#include <QByteArray>

// The status page: one HTML file with its style and script, its texts in the
// panel's language. It reads the token from a one-time link
// (…/#token=TOKEN) into the page's own storage, never a cookie, and follows
// the panel through the WebSocket stream, reconnecting when the panel comes
// back.
namespace remote::page {

QByteArray html();

}  // namespace remote::page
