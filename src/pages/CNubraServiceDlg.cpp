#include "pages/CNubraServiceDlg.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>

#include "controls/CApproButton.h"
#include "controls/CApproButton2.h"
#include "controls/CApproButton3.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic.h"
#include "controls/CErrorPage.h"
#include "controls/CHyperLink.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CRoundBack.h"
#include "device/DeviceCommandWorker.h"
#include "discovery/DeviceSearch.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "util/DisplayText.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CNubraServiceDlg>(12);

constexpr std::array<int, 3> kChoiceTextIds{1212, 1218, 1219};
constexpr std::array<int, 4> kChoicePictures{4013, 4014, 4013, 4014};
// The tick (4009) shows while the box is latched, as in the camera list.
constexpr std::array<int, 4> kTermsPictures{4010, 4010, 4009, 4010};
constexpr QRect kSignInButton(140, 198, 24, 24);
constexpr QRect kSignInText(172, 200, 780 - 172, 225 - 200);
constexpr int kChoiceTextSize = 14;
constexpr QColor kTextColour(72, 72, 72);
constexpr int kRowLabelSize = 14;
constexpr int kBoxTextSize = 16;
constexpr int kFrameRadius = 3;
constexpr int kMarkPicture = 3064;
constexpr int kLinkSize = 13;
constexpr int kErrorLeft = 140;
constexpr int kErrorWidth = 638;
constexpr int kErrorSize = 13;
constexpr QColor kErrorText(0xFF, 0x00, 0x00);
constexpr QColor kErrorFill(0xEF, 0xD5, 0xD5);
constexpr int kErrorRadius = 5;
// The label is as tall as its wrapped text and 32 pixels more.
constexpr controls::BoxMargins kErrorMargins{16, 16, 16};
// Where the network error page stands over the page.
constexpr QPoint kErrorPagePlace(210, 200);

controls::CApproStatic* MakeRowLabel(QWidget* parent) {
    auto* label = new controls::CApproStatic(parent);
    label->useVerdana(kRowLabelSize);
    label->setTextColor(kTextColour);
    label->setAlignment(controls::CApproStatic::Align::Right);
    label->setVerticalCentre(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

controls::CRoundBack* MakeFrame(QWidget* parent) {
    auto* frame = new controls::CRoundBack(parent);
    frame->setFillColor(Qt::white);
    frame->setOutline(kFrameRadius, NubraForm::kGrey, 1);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

controls::CImageBox* MakeMark(QWidget* parent) {
    auto* mark = new controls::CImageBox(parent);
    mark->LoadStateImage(0, kMarkPicture);
    mark->resize(NubraForm::kMarkSide, NubraForm::kMarkSide);
    mark->hide();
    return mark;
}

controls::CBaseStatic* MakeErrorLabel(QWidget* parent, int id) {
    auto* label = new controls::CBaseStatic(parent);
    label->setObjectName(QStringLiteral("id%1").arg(id));
    label->setPixelSize(kErrorSize);
    label->setTextColor(kErrorText);
    label->setBox(kErrorFill, kErrorRadius, kErrorMargins);
    label->hide();
    return label;
}

void ApplyRow(const NubraForm::Row& row, controls::CApproStatic* label, controls::CRoundBack* frame,
              controls::CMyEditCtrl2* box) {
    label->setGeometry(row.label);
    frame->setGeometry(row.frame);
    frame->setOutline(kFrameRadius, row.frameColour, 1);
    box->setGeometry(row.box);
    label->setVisible(row.shown);
    box->setVisible(row.shown);
    frame->setVisible(row.frameShown);
}

void ApplyMark(const std::optional<QPoint>& place, controls::CImageBox* mark) {
    if (place) {
        mark->move(*place);
        mark->raise();
    }
    mark->setVisible(place.has_value());
}

void ApplyLabel(const NubraForm::ErrorLabel& look, controls::CBaseStatic* label) {
    label->setText(look.text);
    label->setAccessibleName(look.text);
    if (look.shown) {
        label->setGeometry(kErrorLeft, look.top, kErrorWidth, label->height());
        label->resize(kErrorWidth, label->contentHeight());
    }
    label->setVisible(look.shown);
}

}  // namespace

CNubraServiceDlg::CNubraServiceDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(12)), task_(windowId(), kStopWait) {
    setObjectName(QStringLiteral("CNubraServiceDlg"));
    const WizardSession& session = host.session();
    link_.recorderIp = session.recorderIp();
    link_.adminUser = session.adminUser();
    link_.adminPassword = session.adminPassword();
    link_.portalHost = host.summaryText1;
    link_.portalNumber = host.summaryText2;
    link_.portalDfp = host.portalDfp;
    recorderMac_ = session.recorderMac();

    const std::array<int, 3> ids{kSignInId, kSignUpId, kNoServiceId};
    for (int i = 0; i < 3; ++i) {
        auto* button = new controls::CApproButton2(ids[i], this);
        button->setObjectName(QStringLiteral("id%1").arg(ids[i]));
        button->LoadStateImages(kChoicePictures);
        button->setRadioMode(i + 1);
        button->setFocusPolicy(Qt::StrongFocus);
        choices_[i] = button;
        auto* text = new controls::CBaseStatic(this);
        text->setObjectName(QStringLiteral("id%1").arg(kChoiceTextIds[i]));
        text->setPixelSize(kChoiceTextSize);
        text->setTextColor(kTextColour);
        // A click on the words picks the choice, as on its button.
        text->installEventFilter(this);
        choiceTexts_[i] = text;
    }
    choices_[0]->setGeometry(kSignInButton);
    choiceTexts_[0]->setGeometry(kSignInText);

    emailLabel_ = MakeRowLabel(this);
    passwordLabel_ = MakeRowLabel(this);
    confirmationLabel_ = MakeRowLabel(this);
    emailFrame_ = MakeFrame(this);
    passwordFrame_ = MakeFrame(this);
    confirmationFrame_ = MakeFrame(this);
    email_ = makeBox(kEmailId, false);
    password_ = makeBox(kPasswordId, true);
    confirmation_ = makeBox(kConfirmationId, true);
    emailMark_ = MakeMark(this);
    passwordMark_ = MakeMark(this);

    terms_ = new controls::CApproButton3(0, this);
    terms_->setObjectName(QStringLiteral("terms"));
    terms_->LoadStateImages(kTermsPictures);
    terms_->setCheckMode(true);
    terms_->setFocusPolicy(Qt::StrongFocus);
    termsLink_ = new controls::CHyperLink(this);
    termsLink_->setObjectName(QStringLiteral("termsLink"));
    termsLink_->setTextFont(kLinkSize);
    termsLink_->setFocusPolicy(Qt::StrongFocus);

    signInLabel_ = MakeErrorLabel(this, kSignInLabelId);
    signUpLabel_ = MakeErrorLabel(this, kSignUpLabelId);

    connect(email_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!applying_) {
            apply(form_.emailChanged(text));
        }
    });

    retranslate();
    choose(NubraForm::kSignIn);
}

CNubraServiceDlg::~CNubraServiceDlg() {
    task_.stop();
}

controls::CMyEditCtrl2* CNubraServiceDlg::makeBox(int id, bool password) {
    auto* box = new controls::CMyEditCtrl2(id, this);
    box->setObjectName(QStringLiteral("id%1").arg(id));
    box->setFramed(false);
    box->setPasswordMode(password);
    box->setTextSize(kBoxTextSize);
    box->installEventFilter(this);
    return box;
}

void CNubraServiceDlg::retranslate() {
    CPageBase::retranslate();
    if (signUpLabel_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    const QString error = shell::LookupText(u"Error", u"Error") + QStringLiteral(": ");
    form_.setMessages(error + shell::LookupText(u"corvane_07", u"Invalid email address!"),
                      error + shell::LookupText(u"corvane_08", u"The passwords doesn't match!"));
    const std::array<QString, 3> choiceTexts{
        shell::LookupText(u"corvane_02", u"I already have a nubra accoount."),
        shell::LookupText(u"corvane_03", u"I want to sign up for a new account."),
        shell::LookupText(u"corvane_04",
                          u"I don't want to use nubra service.(You will not be able to access "
                          u"your NVR remotely if you choose this option).")};
    const bool alternative = shell::UsesAlternativeLineLayout(shell::LanguageIndex());
    signInLabel_->setAlternativeLineLayout(alternative);
    signUpLabel_->setAlternativeLineLayout(alternative);
    for (int i = 0; i < 3; ++i) {
        choiceTexts_[i]->setAlternativeLineLayout(alternative);
        choiceTexts_[i]->setText(choiceTexts[i]);
        choices_[i]->setAccessibleName(choiceTexts[i]);
    }
    const QString colon = QStringLiteral(":");
    emailLabel_->setText(shell::LookupText(u"E-mail", u"Email") + colon);
    passwordLabel_->setText(shell::LookupText(u"Password", u"Password") + colon);
    confirmationLabel_->setText(shell::LookupText(u"Confirm Password", u"Confirm Password") +
                                colon);
    email_->setAccessibleName(shell::LookupText(u"E-mail", u"Email"));
    password_->setAccessibleName(shell::LookupText(u"Password", u"Password"));
    confirmation_->setAccessibleName(shell::LookupText(u"Confirm Password", u"Confirm Password"));
    const QString terms = shell::LookupText(u"corvane_11", u"Terms and Conditions");
    termsLink_->setText(terms);
    termsLink_->setAccessibleName(terms);
    terms_->setAccessibleName(terms);
    emailMark_->setAccessibleName(shell::LookupText(u"Error", u"Error"));
    passwordMark_->setAccessibleName(emailMark_->accessibleName());
}

void CNubraServiceDlg::choose(NubraForm::Choice choice) {
    qCDebug(lcFlow, "cloud choice: %d", static_cast<int>(choice));
    apply(form_.choose(choice));
    updateNext();
}

void CNubraServiceDlg::updateNext() {
    const bool enabled = NubraForm::NextEnabled(form_.choice(), terms_->isLatched());
    nextButton()->setLatched(!enabled);
    nextButton()->setEnabled(enabled);
}

void CNubraServiceDlg::apply(const NubraForm::Effects& effects) {
    applying_ = true;
    if (effects.emptyEmail) {
        email_->clear();
    }
    if (effects.emptyPasswords) {
        password_->clear();
    }
    if (effects.emptyPasswords || effects.emptyConfirmation) {
        confirmation_->clear();
    }
    if (effects.caretToEnd) {
        email_->end(false);
    }
    applying_ = false;

    const NubraForm::Look& look = form_.look();
    for (int i = 0; i < 3; ++i) {
        choices_[i]->setLatched(form_.choice() == i + 1);
    }
    choices_[1]->setGeometry(look.signUpButton);
    choiceTexts_[1]->setGeometry(look.signUpText);
    choices_[2]->setGeometry(look.noServiceButton);
    choiceTexts_[2]->setGeometry(look.noServiceText);
    ApplyRow(look.email, emailLabel_, emailFrame_, email_);
    ApplyRow(look.password, passwordLabel_, passwordFrame_, password_);
    ApplyRow(look.confirmation, confirmationLabel_, confirmationFrame_, confirmation_);
    terms_->setGeometry(look.terms);
    termsLink_->setGeometry(look.termsLink);
    terms_->setVisible(look.termsShown);
    termsLink_->setVisible(look.termsShown);
    ApplyMark(look.emailMark, emailMark_);
    ApplyMark(look.passwordMark, passwordMark_);
    ApplyLabel(look.signInLabel, signInLabel_);
    ApplyLabel(look.signUpLabel, signUpLabel_);
    // A box that was just hidden cannot keep the keyboard.
    if (QWidget* focused = focusWidget(); focused != nullptr && !focused->isVisibleTo(this)) {
        choices_[form_.choice() - 1]->setFocus(Qt::OtherFocusReason);
    }
    arrangeFocusChain();
}

// The keys move through the form as it reads, top to bottom, then to Next and Back.
void CNubraServiceDlg::arrangeFocusChain() {
    QList<QWidget*> chain{choices_[0]};
    const QList<QWidget*> rows{email_, password_, confirmation_, terms_, termsLink_};
    if (form_.choice() == NubraForm::kSignIn) {
        chain << rows << choices_[1] << choices_[2];
    } else {
        chain << choices_[1] << rows << choices_[2];
    }
    chain << nextButton() << backButton() << minimiseButton() << closeButton();
    for (qsizetype i = 1; i < chain.size(); ++i) {
        if (chain[i - 1] != nullptr && chain[i] != nullptr) {
            QWidget::setTabOrder(chain[i - 1], chain[i]);
        }
    }
}

void CNubraServiceDlg::showEvent(QShowEvent* event) {
    CPageBase::showEvent(event);
    arrangeFocusChain();
}

void CNubraServiceDlg::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kLatched) {
        const auto value = event.wParam();
        if (value >= NubraForm::kSignIn && value <= NubraForm::kNoService) {
            choose(static_cast<NubraForm::Choice>(value));
        } else if (value == controls::CStateButton::kCheckNotice) {
            updateNext();
        }
        return;
    }
    if (event.message() == msg::kHyperLinkClicked) {
        showOverlay(overlay::kTerms);
        return;
    }
    CPageBase::messageEvent(event);
}

void CNubraServiceDlg::mousePressEvent(QMouseEvent* event) {
    // Leaving an empty box this way is not a mistake worth an error. Where the page takes the
    // focus on a click itself, the box has been left already and told so.
    if (event->button() == Qt::LeftButton && QApplication::focusWidget() != this) {
        form_.backgroundClick();
        setFocus(Qt::MouseFocusReason);
    }
    CPageBase::mousePressEvent(event);
}

bool CNubraServiceDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == email_ || watched == password_ || watched == confirmation_)) {
        // Switching windows or the waiting overlay is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !waiting_ &&
            isVisible()) {
            // A click on the page takes the focus before the page hears of the click.
            if (reason == Qt::MouseFocusReason && QApplication::focusWidget() == this) {
                form_.backgroundClick();
            }
            const QString email = email_->text();
            if (watched == email_) {
                apply(form_.emailLeft(email, confirmation_->text()));
            } else if (watched == password_) {
                apply(form_.passwordLeft(email, password_->text(), confirmation_->text()));
            } else {
                apply(form_.confirmationLeft(email, password_->text(), confirmation_->text()));
            }
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto it = std::find(choiceTexts_.begin(), choiceTexts_.end(), watched);
        if (it != choiceTexts_.end() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            choices_[it - choiceTexts_.begin()]->click();
            return true;
        }
    }
    return CPageBase::eventFilter(watched, event);
}

void CNubraServiceDlg::onNext() {
    if (nextInProgress_ || waiting_ || !nextButton()->isEnabled()) {
        return;
    }
    nextInProgress_ = true;
    QPointer<CNubraServiceDlg> self(this);
    const NubraForm::Step step =
        form_.next(email_->text(), password_->text(), confirmation_->text(), terms_->isLatched());
    apply({});
    switch (step) {
        case NubraForm::Step::Stay:
            break;
        case NubraForm::Step::NoService:
            host().portalAccess.clear();
            qCDebug(lcFlow, "cloud declined");
            navigate(msg::kNext);
            break;
        case NubraForm::Step::SignIn:
        case NubraForm::Step::SignUp:
            attempt(step);
            break;
    }
    if (self) {
        nextInProgress_ = false;
    }
}

void CNubraServiceDlg::attempt(NubraForm::Step step) {
    const bool signUp = step == NubraForm::Step::SignUp;
    form_.attemptStarted();
    const cloudstep::Account account{email_->text(), password_->text(), password_->text()};
    cloudstep::Link link = link_;
    if (const auto& search = host().search()) {
        const int index = search->FindByMac(recorderMac_);
        link.portByMac = index >= 0 ? search->Port(index) : 0;
    }
    const auto worker = host().commandWorker();
    if (worker) {
        link.securePort = worker->securePort();
    }
    auto outcome = outcome_;
    outcome->set({});
    const cloudstep::Pacing pacing = pacing_;
    qCDebug(lcFlow, "cloud attempt: %s", signUp ? "sign up" : "sign in");
    // A worker that an earlier wait gave up on still runs: the wait goes on with it.
    task_.start([=](PageTask::Control& control) {
        if (!worker) {
            outcome->set({.networkFailed = true, .account = account});
            return;
        }
        outcome->set(signUp ? cloudstep::SignUp(control, *worker, link, account, pacing)
                            : cloudstep::SignIn(control, *worker, link, account, pacing));
    });

    nextButton()->setLatched(true);
    backButton()->setLatched(true);
    waiting_ = true;
    if (!task_.waitOver(this, waitTicks_)) {
        return;
    }
    waiting_ = false;
    backButton()->setLatched(false);
    updateNext();

    cloudstep::Outcome result = outcome_->get();
    if (task_.busy()) {
        // The wait gave up on a worker that still runs: until it ends this attempt failed.
        result = {.networkFailed = true, .account = result.account};
    }
    if (result.linked) {
        qCDebug(lcFlow, "cloud linked");
        // The account the worker linked, which is not the one typed since when an earlier
        // attempt's worker was waited for.
        WizardSession& session = host().session();
        session.setCloudEmail(result.account.email);
        session.setCloudPassword(result.account.password);
        navigate(msg::kNext);
        return;
    }
    qCDebug(lcFlow, "cloud attempt failed: %s",
            result.networkFailed ? "network" : qUtf8Printable(result.errorText));
    apply(form_.attemptFailed(DisplayText(result.errorText)));
    if (result.networkFailed) {
        showNetworkError();
    }
}

void CNubraServiceDlg::showNetworkError() {
    controls::CErrorPage::Run(this,
                              shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"),
                              mapToGlobal(kErrorPagePlace));
}
