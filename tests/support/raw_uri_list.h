#pragma once

#include <utility>

#include <QByteArray>
#include <QMimeData>
#include <QStringList>
#include <QVariant>

// Dropped data as another program offers it: the "text/uri-list" bytes as
// they are. (QMimeData::setData would store the list as QUrls, whose text
// loses bytes that are not UTF-8.)
class RawUriList : public QMimeData {
public:
    explicit RawUriList(QByteArray list) : list_(std::move(list)) {}
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString& format, QMetaType) const override {
        return format == QLatin1String("text/uri-list") ? QVariant(list_) : QVariant();
    }

private:
    QByteArray list_;
};
