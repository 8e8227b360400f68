# Two entry points: `make run` and `make test`. Both install what is missing and build from nothing.
BUILD ?= build
SAMPLE ?= $(BUILD)/sample.avi
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test test-sanitized bench fuzz clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

$(SAMPLE): | build
	$(BUILD)/tools/mkdvavi --preset sample --output $(SAMPLE)

# The player on the sample clip when there is a display; otherwise the sample's report on the terminal.
run: build $(SAMPLE)
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/zenk-vuvaz $(SAMPLE); \
	else \
		echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): printing the report of $(SAMPLE) instead."; \
		$(BUILD)/zenk-vuvaz --scenes $(SAMPLE); \
		$(BUILD)/zenk-vuvaz --metadata $(SAMPLE) | head -n 12; \
	fi

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/); CI runs it
# after `make test`.
SANITIZED_BUILD ?= build-asan
test-sanitized: deps
	cmake -S . -B $(SANITIZED_BUILD) -G Ninja -DZV_SANITIZE=ON -DZV_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SANITIZED_BUILD) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(SANITIZED_BUILD) --output-on-failure -j $(JOBS)

# Fuzzes each target for FUZZ_SECONDS (default 60) with clang's libFuzzer, ASan and UBSan (build-fuzz/).
FUZZ_SECONDS ?= 60
fuzz: deps
	for t in dv_frame avi_check avi_reader report_metadata graph_checks; do sh fuzz/run.sh $$t $(FUZZ_SECONDS) || exit 1; done

bench: build
	bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZED_BUILD)
