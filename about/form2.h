#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;

class BevelPanel;
class ClickLabel;

// The about window: a borderless, translucent purple panel with the program's
// title, its author and two links. A click anywhere but on a link closes it.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    BevelPanel* Panel1 = nullptr;
    ClickLabel* Label1 = nullptr;  // title
    ClickLabel* Label5 = nullptr;  // "Autor programu:"
    ClickLabel* Label6 = nullptr;  // author
    ClickLabel* Label7 = nullptr;  // mail link
    ClickLabel* Label3 = nullptr;  // "Opis programu:"
    ClickLabel* Label8 = nullptr;  // web link
    ClickLabel* Label2 = nullptr;  // notice line

    // The links opened by Label7 and Label8, built from the addresses they show.
    QUrl MailLink() const;
    QUrl WebLink() const;

    void FormClick();
    void Label7Click();
    void Label8Click();
    void Label7MouseEnter();
    void Label7MouseLeave();
    void Label8MouseEnter();
    void Label8MouseLeave();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ClickLabel* addLabel(const char* name, const QRect& box, const QString& text, const QFont& font,
                         const QColor& colour);
    static void fitToText(QLabel* label);
    void centreOverOwner();
};

// The about window while it is open; null otherwise.
extern TForm2* Form2;
