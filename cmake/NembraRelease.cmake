# The release date of this version, kept once as seconds since 1970 and
# spelled from it for the manual pages, the metainfo and the changelog.
set(NEMBRA_RELEASE_EPOCH 1796601600)

set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${NEMBRA_RELEASE_EPOCH})
string(TIMESTAMP NEMBRA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP NEMBRA_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

set(NEMBRA_HOMEPAGE_URL "https://corvane.example/nembra" CACHE STRING "The project's home page")
set(NEMBRA_PACKAGE_MAINTAINER "Corvane <nembra@corvane.example>" CACHE STRING "Who maintains the Debian package")
