#pragma once

class QNetworkAccessManager;

// The program's one connection pool: the searches' pages and the picture
// downloads go through it, so a picture reuses the keep-alive connection a
// page opened, and cookies last as long as the program. Made on first use and
// owned by the application object. Tests that want a pool of their own pass
// one to the page fetcher or the download service.
QNetworkAccessManager *programNetwork();
