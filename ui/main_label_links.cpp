// The now-playing labels as web links: the title opens a video search, the station name the
// station's home page. They look like links only while the pointer is over them and only when
// there is somewhere to go.
#include "main.h"

#include "label_links.h"
#include "link_label.h"
#include "open_url.h"

void TMainForm::TrackLabelClick() {
  const QString title = TrackLabel->text();
  if (!title.isEmpty()) {
    qv::ui::openUrl(qv::ui::videoSearchUrl(title));
  }
}

void TMainForm::TrackLabelMouseEnter() {
  if (!TrackLabel->text().isEmpty()) {
    TrackLabel->setLinkLook(true);
  }
}

void TMainForm::TrackLabelMouseLeave() {
  TrackLabel->setLinkLook(false);
}

void TMainForm::StationLabelClick() {
  if (const auto homePage = qv::ui::stationHomePage(IcyUrl)) {
    qv::ui::openUrl(*homePage);
  }
}

void TMainForm::StationLabelMouseEnter() {
  if (qv::ui::stationHomePage(IcyUrl)) {
    StationLabel->setLinkLook(true);
  }
}

void TMainForm::StationLabelMouseLeave() {
  StationLabel->setLinkLook(false);
}
