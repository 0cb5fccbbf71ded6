#include "app/forms.h"

#include "app/chatform.h"
#include "chat/phrasesform.h"
#include "client/gamestartform.h"
#include "client/spylistform.h"
#include "dialogs/aboutform.h"
#include "dialogs/downloadform.h"
#include "dialogs/helpform.h"
#include "host/serverform.h"
#include "tally/tallylistform.h"

Forms::Forms()
{
    chat = std::make_unique<Tchat>();
    about = std::make_unique<Tabout>();
    tallylist = std::make_unique<Ttallylist>();
    download = std::make_unique<Tdownload>();
    gamestart = std::make_unique<Tgamestart>();
    help = std::make_unique<Thelp>();
    phrases = std::make_unique<Tphrases>();
    server = std::make_unique<TServer>();
    spylist = std::make_unique<Tspylist>();
    chat->setForms(this);
    server->setPauseSetting(chat.get());
    QObject::connect(help.get(), &Thelp::aboutRequested, about.get(), &QWidget::show);
}

// The host goes before the windows whose clients it serves.
Forms::~Forms()
{
    server.reset();
    chat.reset();
}
