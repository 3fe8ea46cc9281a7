# The two commands of the README: `make run` and `make test`. Each installs the
# Debian packages that are missing, then configures and builds into build/.
BUILD ?= build
JOBS ?= $(shell nproc)
CLOUD_PORT ?= 8936

PACKAGES := cmake g++ make pkg-config \
	qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin qt6-qpa-plugins \
	curl libcurl4-openssl-dev libcpp-httplib-dev libicu-dev libopencc-dev \
	libsqlite3-dev qt6-webchannel-dev libssl-dev openssl ca-certificates poppler-utils \
	qt6-translations-l10n fonts-noto-cjk xvfb xauth x11-utils nginx-light strace clang libclang-rt-14-dev clang-format

.PHONY: all deps configure build test bench run clean package fuzz

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing >/dev/null; \
	fi

# A public key given here (make package QINGLAN_UPDATE_PUBLIC_KEY=...) is kept
# in the build's cache, as one given to cmake is.
KEY_ARG := $(if $(QINGLAN_UPDATE_PUBLIC_KEY),-DQINGLAN_UPDATE_PUBLIC_KEY=$(QINGLAN_UPDATE_PUBLIC_KEY))

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(KEY_ARG) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
	  ctest --output-on-failure -j1

bench: build
	bench/run.sh $(BUILD)

fuzz: deps
	fuzz/run.sh

run: build
	@tools/run-local.sh $(BUILD) $(CLOUD_PORT)

# A package is what users get: it is built only with an update public key (given
# here or already in the build's cache), so that it saves only signed updates;
# UNSIGNED=1 builds one that saves any update, on purpose.
package:
	@key='$(QINGLAN_UPDATE_PUBLIC_KEY)'; \
	[ -n "$$key" ] || key=$$(sed -n 's/^QINGLAN_UPDATE_PUBLIC_KEY:[A-Z]*=//p' $(BUILD)/CMakeCache.txt 2>/dev/null); \
	if [ -z "$$key" ] && [ "$(UNSIGNED)" != 1 ]; then \
	  echo "make package: no QINGLAN_UPDATE_PUBLIC_KEY in $(BUILD): such a package saves any update" >&2; \
	  echo "  unverified. Give the key (make package QINGLAN_UPDATE_PUBLIC_KEY=...), or build an" >&2; \
	  echo "  unsigned package on purpose with make package UNSIGNED=1." >&2; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
