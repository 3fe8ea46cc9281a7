#pragma once

#include "config/Config.h"
#include "shell/Environment.h"

#include <QString>
#include <QTemporaryDir>

class QWebEngineProfile;

// A fresh folder for the executable and one for TEMP, with the program's own
// paths in them (its data folder, index file and result page).
struct Sandbox {
    QTemporaryDir app;
    QTemporaryDir temp;

    qinglan::Environment Env() const { return {app.path(), temp.path()}; }
    // The data folder, or a file in it.
    QString Data(const QString& name = {}) const;
    QString IndexFile() const;
    QString ResultPageFile() const { return Env().ResultPagePath(); }
    // The result page file's text, decoded from GBK.
    QString Page() const;
    // Creates the data folder and writes the index text into it as GBK.
    bool WriteIndex(const QString& indexText) const;
    bool WriteIndexBytes(const QByteArray& bytes) const;
};

// The compiled configuration pointed at a cloud's items address, without an
// update key (a test that checks signatures sets its own).
qinglan::Config TestConfig(const QString& itemsBaseUrl);

// An items address on which nothing listens.
QString OfflineItemsUrl();

// The index text of a listing: CR LF, then "number - name" CR LF per item.
QString IndexTextOf(const QString& listingText);

// The program's web profile, set up once for the test process.
QWebEngineProfile* TestProfile();
