#pragma once

#include "ScreenView.h"

class LanguageViewController;
class SectionList;

// The language screen: three rows, the chosen one marked.
class LanguageView : public ScreenView {
    Q_OBJECT
public:
    explicit LanguageView(LanguageViewController *controller);

protected:
    void refresh() override;

private:
    LanguageViewController *m_language;
    SectionList *m_list;
};
