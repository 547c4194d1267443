#include "ViewFactory.h"

#include "ScreenView.h"
#include "shell/ScreenController.h"

#include <QHash>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QHash<int, ViewFactory::Creator> &creators()
{
    static QHash<int, ViewFactory::Creator> table;
    return table;
}

// What a screen shows before its own view exists: its title, so navigation still works.
class PlainView : public ScreenView {
public:
    explicit PlainView(ScreenController *controller) : ScreenView(controller)
    {
        auto *layout = new QVBoxLayout(this);
        auto *label = new QLabel(controller->title(), this);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
};
}

void ViewFactory::registerView(int screenNumber, Creator creator)
{
    creators().insert(screenNumber, std::move(creator));
}

bool ViewFactory::hasView(int screenNumber)
{
    return creators().contains(screenNumber);
}

ScreenView *ViewFactory::create(ScreenController *controller)
{
    auto it = creators().find(controller->screenNumber());
    if (it != creators().end()) {
        if (ScreenView *view = (*it)(controller))
            return view;
    }
    return new PlainView(controller);
}
