// The toolkit layer: picture reading, errors out of handlers, timers, modal windows, numbers.
#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QByteArray le32(quint32 v) { return QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24); }
QByteArray le16(quint16 v) { return QByteArray(1, char(v)) + char(v >> 8); }

// A 24-bit bitmap header claiming width × height (negative: top row first), followed by
// `pixels` bytes of grey.
QByteArray bitmapHeader(qint32 width, qint32 height, int pixels)
{
    const QByteArray info = le32(40) + le32(quint32(width)) + le32(quint32(height)) + le16(1) + le16(24) + le32(0)
        + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    return "BM" + le32(quint32(54 + pixels)) + le32(0) + le32(54) + info + QByteArray(pixels, '\x7f');
}

// A complete bitmap whose every byte differs from its neighbours, so that a swapped channel,
// a row out of order or a skipped padding byte all show.
QByteArray patternBitmap(qint32 width, qint32 height)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    QByteArray file = bitmapHeader(width, height, rowBytes * qAbs(height));
    for (int i = 54; i < file.size(); ++i)
        file[i] = char(i * 37 + 11);
    return file;
}

QImage qtReads(const QByteArray &file)
{
    QImage image;
    image.loadFromData(file, "bmp");
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestToolkit : public QObject {
    Q_OBJECT
private slots:
    void init() { installHooks(); }
    void cleanup() { TestHooks::Reset(); }

    void badPictures_data();
    void badPictures();
    void goodPictureReads_data();
    void goodPictureReads();
    void throwingHandlerLeavesLoopRunning();
    void errorBoxesNeverNest();
    void timersTickOnlyWhenEnabled();
    void showModalRunsFormShowAndNeverNests();
    void numbers_data();
    void numbers();
};

void TestToolkit::badPictures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("reason");
    const QByteArray good = [] {
        QFile f(QStringLiteral("Images/1.bmp"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QTest::newRow("missing") << QByteArray() << false << "missing";
    QTest::newRow("folder") << QByteArray() << true << "folder";
    QTest::newRow("empty") << QByteArray("") << false << "empty";
    QTest::newRow("truncated") << good.left(good.size() / 2) << false << "truncated";
    QTest::newRow("header only") << good.left(30) << false << "truncated";
    QTest::newRow("png renamed") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false << "not a Windows bitmap";
    QTest::newRow("text") << QByteArray("hello, world\n") << false << "not a Windows bitmap";
    QTest::newRow("claims 60000 x 60000") << bitmapHeader(60000, 60000, 64) << false << "60000 × 60000";
    QTest::newRow("118 bytes claiming 5700 x 5700") << bitmapHeader(5700, 5700, 64) << false << "5700 × 5700";
    QTest::newRow("zero width") << bitmapHeader(0, 10, 64) << false << "no pixels";
    QTest::newRow("pixels short by one row") << bitmapHeader(4, 4, 12 * 3) << false << "truncated";
}

void TestToolkit::badPictures()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, isFolder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("7.bmp"));
    if (isFolder)
        QDir().mkpath(path);
    else if (!content.isNull()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    try {
        ReadBitmap(path);
        QFAIL("a bad picture was read");
    } catch (const Exception &e) {
        QVERIFY2(e.Message.contains(path), qPrintable(e.Message));
        QVERIFY2(e.Message.contains(reason), qPrintable(e.Message));
    }
}

void TestToolkit::goodPictureReads_data()
{
    QTest::addColumn<QByteArray>("content");
    for (int pair = 1; pair <= 18; ++pair) {
        QFile f(QStringLiteral("Images/%1.bmp").arg(pair));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QTest::addRow("picture %d", pair) << f.readAll();
    }
    QTest::newRow("rows padded, bottom row first") << patternBitmap(5, 3);
    QTest::newRow("rows padded, top row first") << patternBitmap(5, -3);
    QTest::newRow("one pixel") << patternBitmap(1, 1);
    QTest::newRow("exactly the bytes asked for") << bitmapHeader(4, 4, 12 * 4);
}

void TestToolkit::goodPictureReads()
{
    // Every pixel as Qt's own reader sees it.
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("good.bmp"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const QImage expected = qtReads(content);
    QVERIFY(!expected.isNull());
    const QImage image = ReadBitmap(path);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image, expected);
}

void TestToolkit::throwingHandlerLeavesLoopRunning()
{
    // Without the catch in notify() this terminates the whole test program.
    int after = 0;
    QTimer::singleShot(0, qApp, [] { throw Exception(QStringLiteral("boom in a handler")); });
    QTimer::singleShot(10, qApp, [&after] { ++after; });
    QTRY_COMPARE(after, 1);
    QCOMPARE(seen().errors, QStringList{QStringLiteral("boom in a handler")});
}

void TestToolkit::errorBoxesNeverNest()
{
    // An error raised while the box is open (a reshuffle tick, say) must not open a second box.
    int boxes = 0;
    TestHooks::ErrorBox = [&boxes](const QString &) {
        ++boxes;
        ShowException(Exception(QStringLiteral("second")));
        ShowException(Exception(QStringLiteral("third")));
    };
    ShowException(Exception(QStringLiteral("first")));
    QCOMPARE(boxes, 1);
    ShowException(Exception(QStringLiteral("later")));
    QCOMPARE(boxes, 2);
}

void TestToolkit::timersTickOnlyWhenEnabled()
{
    TTimer timer(nullptr, 1000);
    QSignalSpy ticks(&timer, &TTimer::OnTimer);
    QVERIFY(!timer.Enabled());
    timer.Tick();
    QCOMPARE(ticks.count(), 0);
    timer.SetEnabled(true);
    QVERIFY(timer.Enabled());
    timer.Tick();
    timer.Tick();
    QCOMPARE(ticks.count(), 2);
    timer.SetEnabled(false);
    timer.Tick();
    QCOMPARE(ticks.count(), 2);

    // A real timer fires by itself when the tests do not drive the clock.
    TestHooks::ManualTimers = false;
    TTimer fast(nullptr, 5);
    QSignalSpy fastTicks(&fast, &TTimer::OnTimer);
    fast.SetEnabled(true);
    QTRY_VERIFY(fastTicks.count() >= 2);
}

class CountingForm : public TForm {
public:
    int shows = 0;
    int nested = 0;

protected:
    void FormShow() override { ++shows; }
};

void TestToolkit::showModalRunsFormShowAndNeverNests()
{
    CountingForm form;
    TestHooks::Modal = [&form](TForm &) { form.nested = form.ShowModal(); };
    form.ShowModal();
    QCOMPARE(form.shows, 1);
    QCOMPARE(form.nested, -1);
    QVERIFY(!form.isVisible());

    // The real modal loop: Close() ends it and hides the window; other timers keep firing.
    TestHooks::Modal = nullptr;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(1);
    QTimer::singleShot(50, &form, [&form] { form.Close(); });
    form.ShowModal();
    QVERIFY(ticks > 0);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.shows, 2);
}

void TestToolkit::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("leading zero") << "07" << true << 7;
    QTest::newRow("negative") << "-5" << true << -5;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("letters") << "s7" << false << 0;
}

void TestToolkit::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid)
        QCOMPARE(StrToInt(text), value);
    else
        QVERIFY_THROWS_EXCEPTION(Exception, StrToInt(text));
    QCOMPARE(IntToStr(1200), QStringLiteral("1200"));
    QCOMPARE(IntToStr(-3), QStringLiteral("-3"));
}

DUPLORA_TEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"
