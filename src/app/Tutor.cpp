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

void StoreFormPosition(const QWidget& form)
{
    FormLeft = form.x();
    FormTop = form.y();
}

void MoveToFormPosition(QWidget& form)
{
    form.move(FormLeft, static_cast<int>(std::lround(FormTop)));
}
