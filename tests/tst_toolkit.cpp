// The layer under the game: the picture reader, errors out of handlers, modal windows.
#include "TestSupport.h"

namespace {

QByteArray le32(quint32 v) { return QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24); }

// A bitmap of 24 (or 32) bits a pixel claiming width × height (negative: top row first), with
// `bytes` bytes of pixels after its header; every byte differs from its neighbours, so that a
// swapped channel, a row out of order or a skipped padding byte all show.
QByteArray bitmap(qint32 width, qint32 height, int bytes, quint32 bits = 24)
{
    QByteArray file = "BM" + le32(54 + bytes) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height)
        + le32(1 | bits << 16) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0) + QByteArray(bytes, 0);
    for (int i = 54; i < file.size(); ++i)
        file[i] = char(i * 37 + 11);
    return file;
}
QByteArray complete(qint32 width, qint32 height) { return bitmap(width, height, (width * 3 + 3) / 4 * 4 * qAbs(height)); }

} // namespace

class TestToolkit : public GameTest {
    Q_OBJECT
private slots:
    void pictures_data()
    {
        // What the reader refuses, and why; all else it reads pixel for pixel as Qt's own reader.
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refusal");
        QFile card(QStringLiteral("Images/1.bmp"));
        QVERIFY(card.open(QIODevice::ReadOnly));
        const QByteArray good = card.readAll();
        QTest::newRow("a card") << good << "";
        QTest::newRow("rows padded, bottom row first") << complete(5, 3) << "";
        QTest::newRow("rows padded, top row first") << complete(5, -3) << "";
        QTest::newRow("one pixel") << complete(1, 1) << "";
        QTest::newRow("missing") << QByteArray() << "missing";
        QTest::newRow("a folder") << QByteArray() << "folder";
        QTest::newRow("empty") << QByteArray("") << "empty";
        QTest::newRow("truncated") << good.left(good.size() / 2) << "truncated";
        QTest::newRow("header only") << good.left(30) << "truncated";
        QTest::newRow("pixels short by one row") << bitmap(4, 4, 12 * 3) << "truncated";
        QTest::newRow("32 bits a pixel") << bitmap(3, 2, 24, 32) << "";
        QTest::newRow("32 bits a pixel, a byte short") << bitmap(3, 2, 23, 32) << "truncated";
        QTest::newRow("png renamed") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "not a Windows bitmap";
        QTest::newRow("claims 60000 x 60000") << bitmap(60000, 60000, 64) << "60000 × 60000";
        QTest::newRow("118 bytes claiming 5700 x 5700") << bitmap(5700, 5700, 64) << "5700 × 5700";
        QTest::newRow("zero width") << bitmap(0, 10, 64) << "no pixels";
    }
    void pictures()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("7.bmp"));
        QFile file(path);
        QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
        file.close();
        QVERIFY(refusal != "folder" || QDir().mkpath(path));
        try {
            const QImage image = ReadBitmap(path);
            QCOMPARE(refusal, QString());
            QCOMPARE(image, QImage::fromData(content, "bmp").convertToFormat(QImage::Format_RGB32));
        } catch (const Exception &e) {
            QVERIFY2(!refusal.isEmpty() && e.Message.contains(path) && e.Message.contains(refusal), qPrintable(e.Message));
        }
    }

    void errorsInHandlers()
    {
        // Shown once in the error box, and the loop goes on; an error raised while the box is
        // open (a reshuffle tick, say) opens no second box.
        TestHooks::ErrorBox = [](const QString &message) {
            errors << message;
            ShowException(Exception(QStringLiteral("while the box is open")));
        };
        int after = 0;
        QTimer::singleShot(0, qApp, [] { throw Exception(QStringLiteral("boom in a handler")); });
        QTimer::singleShot(10, qApp, [&after] { ++after; });
        QTRY_COMPARE(after, 1);
        QCOMPARE(errors, QStringList{QStringLiteral("boom in a handler")});
    }

    void modalWindowsNeverNest()
    {
        // A window asked to show itself while it is shown does nothing, and says so.
        int nested = 0;
        TestHooks::Modal = [&nested](TForm &form) { nested = form.ShowModal(); };
        FormAbout->ShowModal();
        QCOMPARE(nested, -1);
        QVERIFY(!FormAbout->isVisible());
    }
};

DUPLORA_TEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"
