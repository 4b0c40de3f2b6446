#include "app/Tutor.h"

#include "app/CommonVar.h"

#include <QCoreApplication>
#include <QWidget>

#include <cmath>

namespace {
std::function<void()> endHandler;
}

void EndTutor()
{
    if (endHandler) {
        endHandler();
        return;
    }
    QCoreApplication::exit(0);
}

void SetEndTutorHandler(std::function<void()> handler)
{
    endHandler = std::move(handler);
}

// Positions are those of the inner area: the frame's size is only known
// once a window is shown, and mixing the two would walk the screens across
// the desktop a few pixels at every change of screen.
void StoreFormPosition(const QWidget& form)
{
    FormLeft = form.geometry().x();
    FormTop = form.geometry().y();
}

void MoveToFormPosition(QWidget& form)
{
    form.setGeometry(QRect(QPoint(FormLeft, static_cast<int>(std::lround(FormTop))), form.size()));
}
