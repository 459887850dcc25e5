#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "store/result_site.h"

namespace norvane {

// The host of a website text as the crawl queues it ("host", "host/path", "https://host/path",
// "http://host:80/x"): lower case, without scheme, user, port or a trailing dot. Empty when the
// text names no host.
QString WebsiteHost(const QString& website);

// The registrable domain of a host by the Public Suffix List (libpsl): "shop.example.co.uk"
// gives "example.co.uk", "me.github.io" stays "me.github.io". A host the list gives no domain
// for (an IP address, "localhost", a public suffix itself) is its own site.
QString RegistrableDomain(const QString& host);

// The site of a website text: the registrable domain of its host.
QString SiteOfWebsite(const QString& website);

// "Stay on Result Sites": the sites of the websites a search found, and how many pages of each
// the crawl queued and took. A link is followed only onto one of them (the site itself or any
// subdomain of it, with either scheme). At most `pageLimit` pages of a site are taken; its other
// pages are queued while fewer than that many are queued, its contact and home pages while fewer
// than twice that many, so that a contact page named after the rest of a menu is still queued
// and, taken first, read within the limit.
class ResultSites {
 public:
  using Site = ResultSite;

  // 0: no limit.
  void setPageLimit(int limit) { m_pageLimit = limit; }

  // The sites of the queued websites, each queued website counted as one queued page.
  void build(const QStringList& queued);
  // Sites as the store keeps them, in their order.
  void restore(const QList<Site>& sites);
  QList<Site> sites() const;
  void clear();

  bool isEmpty() const { return m_order.isEmpty(); }
  int count() const { return int(m_order.size()); }
  // Which of the sites the website is on; empty when on none.
  QString siteOf(const QString& website) const;
  // Whether one more page of the site may be queued: a contact or home page (`firstPage`) or
  // another.
  bool mayQueue(const QString& site, bool firstPage) const;
  bool mayTake(const QString& site) const;
  // A page of the site was queued or taken; the site's counts after it.
  const Site& addQueued(const QString& site);
  const Site& addTaken(const QString& site);
  Site counts(const QString& site) const { return m_sites.value(site); }

 private:
  QStringList m_order;
  QHash<QString, Site> m_sites;
  int m_pageLimit = 0;
};

}  // namespace norvane
