#include "app/templatedialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/outputtemplate.h"

namespace tobrin {

TemplateDialog::TemplateDialog(const MonoSet& set, const PixelFont* font, const ExportOptions& options,
                               QWidget* parent)
    : QDialog(parent), set_(set), options_(options)
{
    if (font)
        font_ = *font;
    setWindowTitle(QStringLiteral("Export with Template"));
    setObjectName(QStringLiteral("TemplateDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Template (yours are in %1):").arg(UserTemplateFolder()), this);
    label->setObjectName(QStringLiteral("TemplateListLabel"));
    label->setAccessibleName(QStringLiteral("Templates"));
    label->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("TemplateList"));
    list_->setAccessibleName(QStringLiteral("Templates"));
    label->setBuddy(list_);
    // The user's own first: a name of theirs stands for their file, also
    // where it shadows a built-in.
    for (const QString& name : UserTemplateNames()) {
        auto* item = new QListWidgetItem(QStringLiteral("%1 (yours)").arg(name), list_);
        item->setData(Qt::UserRole, UserTemplateFolder() + QLatin1Char('/') + name + QStringLiteral(".tpl"));
    }
    const QStringList yours = UserTemplateNames();
    for (const QString& name : BuiltInTemplateNames()) {
        if (yours.contains(name))
            continue;
        auto* item = new QListWidgetItem(QStringLiteral("%1 (built in)").arg(name), list_);
        item->setData(Qt::UserRole, name);
    }
    preview_ = new QPlainTextEdit(this);
    preview_->setObjectName(QStringLiteral("TemplatePreview"));
    preview_->setAccessibleName(QStringLiteral("Preview of the output"));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("TemplateButtons"));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("TemplateOk"));
    buttons_->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("TemplateCancel"));
    buttons_->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("Cancel"));
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(preview_, 1);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::currentRowChanged, this, &TemplateDialog::ShowPreview);
    int start = 0;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->data(Qt::UserRole).toString() == options.templateName)
            start = i;
    list_->setCurrentRow(start);
    ShowPreview();
    resize(560, 420);
}

ExportOptions TemplateDialog::Options() const
{
    ExportOptions chosen = options_;
    if (const QListWidgetItem* item = list_->currentItem())
        chosen.templateName = item->data(Qt::UserRole).toString();
    return chosen;
}

void TemplateDialog::ShowPreview()
{
    const QListWidgetItem* item = list_->currentItem();
    QString why;
    std::optional<QByteArray> text;
    if (item) {
        const std::optional<OutputTemplate> tpl = LoadTemplate(item->data(Qt::UserRole).toString(), &why);
        if (tpl)
            text = font_ ? tpl->Render(*font_, options_, &why) : tpl->Render(set_, options_, &why);
    }
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(text.has_value());
    if (!text) {
        preview_->setPlainText(why);
        return;
    }
    QStringList lines = QString::fromUtf8(*text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    if (lines.size() > kPreviewLines) {
        lines = lines.mid(0, kPreviewLines);
        lines << QStringLiteral("…");
    }
    preview_->setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace tobrin
