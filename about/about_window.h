#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;

class BevelPanel;
class ClickLabel;

// The about window: a borderless, translucent purple panel with the program's
// title, its author and two links. A click anywhere but on a link closes it.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Controls; each carries its designed name as its object name (in brackets).
    BevelPanel* backgroundPanel = nullptr;     // Panel1
    ClickLabel* titleLabel = nullptr;          // Label1
    ClickLabel* authorHeading = nullptr;       // Label5: "Autor programu:"
    ClickLabel* authorLabel = nullptr;         // Label6
    ClickLabel* mailLink = nullptr;            // Label7
    ClickLabel* descriptionHeading = nullptr;  // Label3: "Opis programu:"
    ClickLabel* webLink = nullptr;             // Label8
    ClickLabel* noticeLabel = nullptr;         // Label2

    // The addresses the links open, built from the texts they show.
    QUrl mailUrl() const;
    QUrl webUrl() const;

    void openMailLink();
    void openWebLink();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ClickLabel* addLabel(const char* name, const QRect& box, const QString& text, const QFont& font,
                         const QColor& colour);
    static void fitToText(QLabel* label);
    void centreOverOwner();
};
