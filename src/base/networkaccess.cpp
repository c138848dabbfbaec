#include "base/networkaccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QPointer>

QNetworkAccessManager *programNetwork()
{
    static QPointer<QNetworkAccessManager> network;
    if (!network) {
        network = new QNetworkAccessManager(QCoreApplication::instance());
        network->setCookieJar(new QNetworkCookieJar(network));
    }
    return network;
}
