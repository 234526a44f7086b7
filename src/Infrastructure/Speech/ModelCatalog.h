#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace vocena::ModelCatalog {

// A model the app offers to download by name (`vocena model install NAME`).
struct Entry {
    QString name;     // the archive's folder, which becomes the installed model's name
    QString url;      // a .tar.bz2 archive
    QString sha256;   // of the archive; empty when not published (the model is verified anyway)
    QString summary;  // one line for the listing

    // The URL with "#sha256=<hex>" when the checksum is known.
    QString downloadSpec() const;
};

// The default first: the model a new user is pointed to.
const QList<Entry>& entries();
std::optional<Entry> find(const QString& name);

}  // namespace vocena::ModelCatalog
