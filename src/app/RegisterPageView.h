#pragma once

#include <QAbstractScrollArea>

struct RegisterPdfLayout;

// The printed register's pages one under another, each painted only while it is on screen: a
// register of a year's documents has thousands of pages, and none is drawn ahead. The layout
// must outlive the view.
class RegisterPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit RegisterPageView(const RegisterPdfLayout& layout, QWidget* parent = nullptr);

    int PageCount() const;
    void FitToWidth();
    void FitPage();
    void Zoom(double factor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Fit { Width, Page, None };
    QSizeF PageSize() const; // in the layout's units, margins included
    void UpdateScale();

    const RegisterPdfLayout& m_layout;
    Fit m_fit = Fit::Width;
    double m_scale = 0.1; // pixels per layout unit
};
