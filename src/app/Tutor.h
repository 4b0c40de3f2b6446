#pragma once
// Process-level actions shared by the screens.
#include <functional>

class QWidget;

// Ends the tutor. Tests replace the ending with their own observer.
void EndTutor();
void SetEndTutorHandler(std::function<void()> handler);

// The shared window position: every screen opens where the last one was
// left in the normal window state.
void StoreFormPosition(const QWidget& form);
void MoveToFormPosition(QWidget& form);
