#pragma once

#include <QAbstractScrollArea>

class StatementLines;

// The preview's lines, one under another in a fixed font, with a current line (the one found, or
// clicked; Ctrl+C copies it). Only the lines on screen are drawn and nothing is kept per line, so
// lines coming in as the statement is made cost no more than their count: a list view would lay
// out all of its rows again at every piece.
class StatementView : public QAbstractScrollArea {
    Q_OBJECT
public:
    StatementView(const StatementLines& lines, QWidget* parent = nullptr);

    int CurrentLine() const { return m_current; }
    // Makes the line current and scrolls it into the middle of the view; -1: none.
    void SetCurrentLine(int line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int LineHeight() const;
    int ShownLines() const;
    void UpdateRanges();

    const StatementLines& m_lines;
    int m_current = -1;
};
