# Set-up, build, run and test. `make run` starts the program, `make test` runs every test.
BUILD ?= build
WERROR ?= OFF
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build run test bench install package clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DKAKEIBO_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/kakeibo

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	for b in $(BUILD)/bin/bench_*; do $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

# Honours DESTDIR for staged installs. An install in place (no DESTDIR) refreshes the MIME and
# desktop databases there, so that a .nbd file opens in the program at once; a staged one leaves
# that to the system it goes to (a package's triggers).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
ifeq ($(DESTDIR),)
	-update-mime-database $(PREFIX)/share/mime
	-update-desktop-database $(PREFIX)/share/applications
endif

package: build
	cd $(BUILD) && cpack
	@ls $(BUILD)/kakeibo_*.deb

clean:
	rm -rf $(BUILD)
