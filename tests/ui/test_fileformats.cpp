#include <QtTest>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "app/carrayoptions.h"
#include "app/templatedialog.h"
#include "core/formats.h"
#include "core/outputtemplate.h"
#include "core/pixelfont.h"
#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"

using namespace tobrin;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The picture as the formats see it (leftover pixels right of the width
// are not part of it).
MonoPicture Picture(const PictureDocument& doc)
{
    MonoPicture p;
    p.width = doc.MaxX() + 1;
    p.height = doc.MaxY() + 1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.At(x, y) = doc.Pic(x, y);
    return p;
}

// One frame with scripted dialogs and a random picture of the given size.
struct Editor {
    FakeDialogs dialogs;
    Session session{dialogs};
    FrameWindow frame{session};

    Editor()
    {
        frame.show();
        QTRY_VERIFY(frame.DrawingSubWindow() && frame.DrawingSubWindow()->isVisible());
    }
    FileCommands& Files() { return frame.DrawingWindow().Files(); }
    PictureDocument& Doc() { return session.document; }

    void Scribble(int width, int height, quint32 seed)
    {
        frame.ShowSize(width, height);
        QRandomGenerator random(seed);
        const PictureDocument::Batch batch(Doc());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Doc().SetPixel(x, y, std::uint8_t(random.bounded(2)));
        Doc().SetSaved(false);
    }
    void Export(const QString& path, std::optional<ExportOptions> cOptions = std::nullopt)
    {
        dialogs.fileNames = {path};
        if (cOptions)
            dialogs.cArrayAnswers = {cOptions};
        frame.FrameAction(QStringLiteral("ExportMenu"))->trigger();
    }
    void Open(const QString& path)
    {
        dialogs.fileNames = {path};
        dialogs.answers = {true};
        frame.FrameAction(QStringLiteral("Open"))->trigger();
    }
};

ExportOptions COptions(ByteOrder order, const QString& name = QString())
{
    ExportOptions o;
    o.order = order;
    o.name = name;
    return o;
}

}  // namespace

class FileFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void exportWritesEveryFormatAndOpenReadsItBack_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("order");
        QTest::addColumn<QSize>("size");
        QTest::newRow("c msb") << "a.c" << int(ByteOrder::Msb) << QSize(13, 9);
        QTest::newRow("c lsb") << "b.c" << int(ByteOrder::Lsb) << QSize(240, 120);
        QTest::newRow("h pages") << "c.h" << int(ByteOrder::Pages) << QSize(37, 21);
        QTest::newRow("xbm") << "d.xbm" << 0 << QSize(233, 4);
        QTest::newRow("pbm") << "e.pbm" << 0 << QSize(4, 120);
        QTest::newRow("png") << "f.png" << 0 << QSize(101, 55);
        QTest::newRow("bmp") << "g.bmp" << 0 << QSize(64, 64);
        QTest::newRow("txt") << "h.txt" << 0 << QSize(40, 32);
    }
    void exportWritesEveryFormatAndOpenReadsItBack()
    {
        QFETCH(QString, file);
        QFETCH(int, order);
        QFETCH(QSize, size);
        Editor e;
        e.Doc().MarkSaved(QStringLiteral("/somewhere/current.txt"));
        e.Scribble(size.width(), size.height(), 11);
        const MonoPicture drawn = Picture(e.Doc());
        const QString path = dir_.filePath(file);

        e.Export(path, COptions(ByteOrder(order)));
        const auto& asked = e.dialogs.shown.first();
        QCOMPARE(asked.kind, QStringLiteral("save"));
        QCOMPARE(asked.title, QStringLiteral("Export"));
        QCOMPARE(asked.fileName, QStringLiteral("/somewhere/current.c"));
        QCOMPARE(asked.text, QStringLiteral("C array (*.c *.h);;X11 bitmap (*.xbm);;Portable bitmap (*.pbm);;"
                                            "PNG (*.png);;BMP (*.bmp);;GIF (*.gif);;Hex text (*.txt)"));
        QCOMPARE(e.dialogs.count("c-options"), &FormatForPath(path) == &Format("c") ? 1 : 0);
        QCOMPARE(e.dialogs.count("message"), 0);
        // Export leaves the current file and the saved flag alone.
        QCOMPARE(e.Doc().FileName(), QStringLiteral("/somewhere/current.txt"));
        QVERIFY(!e.Doc().Saved());
        QVERIFY(e.frame.SaveEnabled());
        if (&FormatForPath(path) == &Format("c"))
            QVERIFY(ReadAll(path).contains(QByteArray("byte order: ") + ByteOrderName(ByteOrder(order))));

        // The next export of the same file starts where this one went.
        e.Export(QString());
        QCOMPARE(e.dialogs.shown.last().fileName, path);

        e.frame.DrawingWindow().NewMenu_Click();
        e.Open(path);
        QCOMPARE(e.dialogs.count("message"), 0);
        QCOMPARE(e.Doc().FileName(), path);
        QVERIFY(Picture(e.Doc()) == drawn);
        QCOMPARE(e.Doc().MaxX(), size.width() - 1);
        // Another file starts from its own name; never the open C file itself.
        e.Export(QString());
        const QString base = path.left(path.lastIndexOf(QLatin1Char('.')));
        QCOMPARE(e.dialogs.shown.last().fileName, base + (path.endsWith(QLatin1String(".c")) ? ".h" : ".c"));
    }

    void openFilterListsTheFormatsWithHexPreselected()
    {
        Editor e;
        // One Export entry, in both File menus.
        QVERIFY(e.frame.FrameAction(QStringLiteral("ExportMenu")));
        QCOMPARE(e.frame.FrameAction(QStringLiteral("ExportMenu")), e.frame.FrameAction(QStringLiteral("ExportMenu")));
        e.Open(QString());
        const auto& open = e.dialogs.shown.last();
        QCOMPARE(open.text, QStringLiteral("All Files (*);;Hex values (*.db *.txt *.c);;C array (*.c *.h);;"
                                           "X11 bitmap (*.xbm);;Portable bitmap (*.pbm);;PNG (*.png);;BMP (*.bmp);;"
                                           "GIF (*.gif);;Pixel fonts (*.db *.txt *.c *.h *.bdf *.png)"));
        QCOMPARE(open.selectedFilter, QStringLiteral("Hex values (*.db *.txt *.c)"));
    }

    void badFilesLeaveEverythingUntouched_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QImage grey(8, 8, QImage::Format_RGB32);
        grey.fill(qRgb(0, 0, 0));
        grey.setPixel(3, 3, qRgb(128, 128, 128));
        QImage large(241, 8, QImage::Format_Mono);
        large.fill(0);
        const auto encode = [](const QImage& image, const char* format) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, format);
            return bytes;
        };
        QTest::newRow("grey png") << "grey.png" << encode(grey, "PNG");
        QTest::newRow("wide bmp") << "wide.bmp" << encode(large, "BMP");
        QTest::newRow("jpeg named png") << "photo.png" << encode(grey, "JPEG");
        QTest::newRow("c text") << "code.c" << QByteArray("int main(void) { return 0; }\n");
        QTest::newRow("short c array")
            << "short.c" << QByteArray("#define A_WIDTH 8\n#define A_HEIGHT 4\nstatic const unsigned char a[] = {1, 2};\n");
        QTest::newRow("xbm cut off") << "cut.xbm" << QByteArray("#define a_width 8\n#define a_height 4\nstatic");
        QTest::newRow("grey pbm") << "grey.pbm" << QByteArray("P2\n4 4\n255\n");
        QTest::newRow("empty pbm") << "empty.pbm" << QByteArray();
    }
    void badFilesLeaveEverythingUntouched()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString path = dir_.filePath(file);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();

        Editor e;
        e.Scribble(50, 20, 3);
        e.Doc().SetFileName(QStringLiteral("/earlier/file.txt"));
        const PictureData before = e.Doc().Data();
        e.Open(path);
        QCOMPARE(e.dialogs.count("message"), 1);
        QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("File Import Error"));
        QCOMPARE(e.dialogs.shown.last().icon, Dialogs::Icon::Critical);
        QVERIFY(e.Doc().Data().PicData == before.PicData);
        QCOMPARE(e.Doc().MaxX(), 49);
        QCOMPARE(e.Doc().FileName(), QStringLiteral("/earlier/file.txt"));
        QVERIFY(!e.Doc().Saved());
        QCOMPARE(ReadAll(path), content);
    }

    // Save writes a file back in the format it was opened in: a C array
    // keeps its byte order and name, a PNG stays a PNG.
    void saveAfterOpeningKeepsTheFilesFormat()
    {
        Editor e;
        e.Scribble(20, 10, 5);
        const QString c = dir_.filePath(QStringLiteral("logo.c"));
        const QString png = dir_.filePath(QStringLiteral("logo.png"));
        e.Export(c, COptions(ByteOrder::Pages, QStringLiteral("splash")));
        e.Export(png);

        e.Open(c);
        e.Scribble(20, 10, 6);
        const MonoPicture changed = Picture(e.Doc());
        e.frame.FrameAction(QStringLiteral("Save"))->trigger();
        QCOMPARE(e.dialogs.count("save"), 2);  // the two exports only
        QVERIFY(e.Doc().Saved());
        const QByteArray text = ReadAll(c);
        QVERIFY(text.contains("byte order: pages"));
        QVERIFY(text.contains("static const unsigned char splash["));
        QVERIFY(ReadPictureFile(c) && *ReadPictureFile(c) == changed);

        e.Open(png);
        e.Scribble(20, 10, 7);
        e.frame.FrameAction(QStringLiteral("Save"))->trigger();
        QVERIFY(ReadAll(png).startsWith("\x89PNG"));
        QVERIFY(*ReadPictureFile(png) == Picture(e.Doc()));

        // Save as writes hex text, and Save follows it.
        const QString txt = dir_.filePath(QStringLiteral("logo.txt"));
        e.dialogs.fileNames = {txt};
        e.frame.FrameAction(QStringLiteral("Saveas"))->trigger();
        e.Scribble(20, 10, 8);
        e.frame.FrameAction(QStringLiteral("Save"))->trigger();
        QVERIFY(ReadAll(txt).startsWith(".db  20, 10\r\n"));
        QCOMPARE(e.dialogs.count("message"), 0);
    }

    // Save as writes the form a name says wherever hex text would not open
    // again; a form that cannot hold the document says so and writes nothing.
    void saveAsUnderAnotherFormsName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("frames");  // 0: a font
        QTest::addColumn<QString>("refusal");
        QTest::newRow("pbm") << "a.pbm" << 1 << "";
        QTest::newRow("gif set") << "b.gif" << 3 << "";
        QTest::newRow("c keeps hex text") << "c.c" << 2 << "";
        QTest::newRow("xbm set") << "d.xbm" << 2
                                 << "X11 bitmap holds a single picture, and this one has 2 frames. Save them as hex text.";
        QTest::newRow("picture as bdf") << "e.bdf" << 1
                                        << "A .bdf file holds a font. Write the picture under another name.";
        QTest::newRow("font as bdf") << "f.bdf" << 0 << "";
        QTest::newRow("font as gif") << "h.gif" << 0
                                     << "GIF cannot hold a font's characters and advances. Save it as hex text, a C "
                                        "array, BDF or PNG; Export writes its glyphs as pictures.";
    }
    void saveAsUnderAnotherFormsName()
    {
        QFETCH(QString, file);
        QFETCH(int, frames);
        QFETCH(QString, refusal);
        Editor e;
        if (frames == 0) {
            PixelFont font = *BuiltInFont(QStringLiteral("5x7"));
            font.glyphs.resize(10);
            e.Doc().LoadFont(font, QString());
            e.Doc().MarkModified();
        }
        for (int i = 0; i < frames; ++i) {
            if (i > 0)
                e.Doc().AddFrame();
            e.Scribble(20, 10, quint32(3 + i));
        }
        const MonoSet drawn = e.Doc().Frames();
        const PixelFont font = e.Doc().Font();
        const QString path = dir_.filePath(QStringLiteral("saved-as-") + file);
        e.dialogs.fileNames = {path};
        e.frame.FrameAction(QStringLiteral("Saveas"))->trigger();
        if (!refusal.isEmpty()) {
            QCOMPARE(e.dialogs.shown.last().text, refusal);
            QVERIFY(!QFileInfo::exists(path));
            QVERIFY(!e.Doc().Saved());
            return;
        }
        QCOMPARE(e.dialogs.count("message"), 0);
        QVERIFY(e.Doc().Saved());
        e.frame.DrawingWindow().NewMenu_Click();
        e.Open(path);
        QCOMPARE(e.dialogs.count("message"), 0);
        QCOMPARE(e.Doc().IsFont(), frames == 0);
        if (frames == 0)
            QVERIFY(e.Doc().Font() == font);
        QCOMPARE(e.Doc().FrameCount(), drawn.Count());
        for (int i = 0; i < drawn.Count(); ++i)
            QVERIFY(e.Doc().Frames().frames[std::size_t(i)] == drawn.frames[std::size_t(i)]);
    }

    void failedOrCancelledExportChangesNothing()
    {
        Editor e;
        e.Scribble(16, 8, 9);
        e.Doc().MarkSaved(dir_.filePath(QStringLiteral("mine.txt")));
        const QString c = dir_.filePath(QStringLiteral("cancelled.c"));
        e.dialogs.cArrayAnswers = {std::nullopt};
        e.dialogs.fileNames = {c};
        e.frame.FrameAction(QStringLiteral("ExportMenu"))->trigger();
        QCOMPARE(e.dialogs.count("c-options"), 1);
        QCOMPARE(e.dialogs.cArrayOffered.first().name, QStringLiteral("cancelled"));
        QVERIFY(!QFile::exists(c));

        e.Export(dir_.filePath(QStringLiteral("no/such/dir/x.png")));
        QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("Error writing file!"));
        QCOMPARE(e.dialogs.shown.last().icon, Dialogs::Icon::Critical);
        QCOMPARE(e.Doc().FileName(), dir_.filePath(QStringLiteral("mine.txt")));
        QVERIFY(e.Doc().Saved());
    }

    void cArrayOptionsDialog()
    {
        CArrayOptionsDialog dialog(QStringLiteral("/x/my-logo 2.c"), COptions(ByteOrder::Lsb));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("ArrayName"));
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OkButton"));
        QVERIFY(name && ok);
        QCOMPARE(name->text(), QStringLiteral("my_logo_2"));
        QVERIFY(dialog.OrderButton(ByteOrder::Lsb)->isChecked());
        QCOMPARE(dialog.Picture()->Order(), ByteOrder::Lsb);
        for (const char* bad : {"", "int", "9lives", "a-b", "\xc3\xa9t\xc3\xa9"}) {
            name->setText(QString::fromUtf8(bad));
            QVERIFY2(!ok->isEnabled(), bad);
        }
        name->setText(QStringLiteral("logo"));
        QVERIFY(ok->isEnabled());
        QTest::mouseClick(dialog.OrderButton(ByteOrder::Pages), Qt::LeftButton);
        QCOMPARE(dialog.Picture()->Order(), ByteOrder::Pages);
        QCOMPARE(dialog.Options().order, ByteOrder::Pages);
        QCOMPARE(dialog.Options().name, QStringLiteral("logo"));
        const MonoSet blank = MonoSet::Of(MonoPicture{240, 120, {}});
        CArrayOptionsDialog packed(QStringLiteral("x.c"), COptions(ByteOrder::Msb), nullptr, &blank);
        const QString sizes = packed.findChild<QObject*>(QStringLiteral("RleSizes"))->property("text").toString();
        QVERIFY2(sizes.endsWith(QStringLiteral("compressed 56 bytes (2%)")), qPrintable(sizes));
        for (const char* box : {"RleCompress", "RleRows"})
            packed.findChild<QAbstractButton*>(QLatin1String(box))->click();
        QVERIFY(packed.Options().rle && packed.Options().rleRows);

        // Where the first byte's bits land, as the writer packs them.
        MonoPicture one;
        one.width = 16;
        one.height = 16;
        for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages})
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 10; ++x) {
                    one.cells.fill(0);
                    one.At(x, y) = 1;
                    const QByteArray text = *EncodePicture(one, Format("c"), COptions(order, "p"));
                    const int bit = BytePicture::BitOf(order, x, y);
                    const QByteArray first = text.mid(text.indexOf("{\n") + 6, 4);
                    QCOMPARE(first, bit < 0 ? QByteArray("0x00")
                                            : "0x" + QByteArray::number(1 << bit, 16).rightJustified(2, '0'));
                }
    }

    // Export with Template: the dialog lists the user's templates and the
    // built-ins with a preview of the picture's first lines (a broken one
    // shows its mistake and cannot be taken), and the chosen template writes
    // the file whatever its extension; Cancel writes nothing.
    void exportWithTemplate()
    {
        // The user's folder is under the test mode's data folder.
        QVERIFY(QDir().mkpath(UserTemplateFolder()));
        QFile broken(UserTemplateFolder() + QStringLiteral("/broken.tpl"));
        const auto removeBroken = qScopeGuard([&] { broken.remove(); });
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{name}\n{#frames}");
        broken.close();
        Editor e;
        e.Scribble(16, 8, 3);
        ExportOptions options = COptions(ByteOrder::Msb, QStringLiteral("pic"));
        options.templateName = QStringLiteral("c");
        TemplateDialog dialog(MonoSet::Of(Picture(e.Doc())), nullptr, options);
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("TemplateList"));
        auto* preview = dialog.findChild<QPlainTextEdit*>(QStringLiteral("TemplatePreview"));
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("TemplateOk"));
        QVERIFY(list && preview && ok);
        QCOMPARE(list->count(), 6);
        QCOMPARE(list->item(0)->text(), QStringLiteral("broken (yours)"));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("c (built in)"));
        const QString c = QString::fromLatin1(*EncodePicture(Picture(e.Doc()), Format("c"), options));
        QCOMPARE(preview->toPlainText(), c.section(QLatin1Char('\n'), 0, TemplateDialog::kPreviewLines - 1) + QStringLiteral("\n…"));
        QVERIFY(ok->isEnabled());
        list->setCurrentRow(0);
        QVERIFY(preview->toPlainText().endsWith(QStringLiteral("line 2, column 1: {#frames} is never closed")));
        QVERIFY(!ok->isEnabled());

        const QString out = dir_.filePath(QStringLiteral("pic.txt"));
        e.dialogs.templateAnswers = {std::nullopt};
        e.dialogs.fileNames = {out};
        e.frame.FrameAction(QStringLiteral("ExportTemplateMenu"))->trigger();
        QCOMPARE(e.dialogs.count("save"), 0);
        e.dialogs.templateAnswers = {QStringLiteral("c")};
        e.frame.FrameAction(QStringLiteral("ExportTemplateMenu"))->trigger();
        QCOMPARE(ReadAll(out), *EncodePicture(Picture(e.Doc()), Format("c"), options));
        // The choice is offered again; a broken template says which file and why.
        e.dialogs.templateAnswers = {broken.fileName()};
        e.dialogs.fileNames = {dir_.filePath(QStringLiteral("bad.txt"))};
        e.frame.FrameAction(QStringLiteral("ExportTemplateMenu"))->trigger();
        QCOMPARE(e.dialogs.shown.at(e.dialogs.shown.size() - 3).text, QStringLiteral("c"));
        QCOMPARE(e.dialogs.shown.last().text, QStringLiteral("Error writing file!"));
        QVERIFY(e.dialogs.shown.last().details.contains(QStringLiteral("broken.tpl: line 2, column 1")));
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("bad.txt"))));
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(FileFormatsTest)
#include "test_fileformats.moc"
