#!/usr/bin/python3
"""The web file manager driven in headless Chromium: `vennaro serve` on 127.0.0.1 with a
free port, then list, open a folder and go UP, upload, make a folder, delete after the
confirmation (and keep after declining it), download, and see a file named like markup shown
as text. Leaves browser_test.png and browser_test_phone.png in the working folder.

Usage: browser_test.py PATH-TO-VENNARO"""

import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException, StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait

XSS_NAME = '<img src=x onerror=alert(1)>.vcf'


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def read(path):
    with open(path, 'rb') as f:
        return f.read()


class Server:
    """`vennaro serve` with its output read line by line in the background."""

    def __init__(self, program, documents, home):
        env = dict(os.environ, VENNARO_DOCUMENTS=documents, VENNARO_ADDRESSBOOK=os.path.join(home, 'book.db'),
                   HOME=home, XDG_CONFIG_HOME=os.path.join(home, 'config'), XDG_DATA_HOME=os.path.join(home, 'data'))
        self.process = subprocess.Popen([program, 'serve', '--bind', '127.0.0.1', '--port', '0', '--permissions', '7'],
                                        stdout=subprocess.PIPE, text=True, env=env)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()
        self.url = self.wait_for(lambda line: line.startswith('http://'))

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip('\n'))

    def wait_for(self, matches, timeout=20):
        deadline = time.time() + timeout
        for line in self.seen:
            if matches(line):
                return line
        while time.time() < deadline:
            try:
                line = self.lines.get(timeout=0.2)
            except queue.Empty:
                continue
            self.seen.append(line)
            if matches(line):
                return line
        raise AssertionError('the server printed no such line; it printed: %r' % self.seen)

    def stop(self):
        self.process.send_signal(signal.SIGINT)
        return self.process.wait(timeout=20)


def browser(profile, downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-dev-shm-usage',
                     '--user-data-dir=' + profile, '--window-size=1100,900'):
        options.add_argument(argument)
    options.add_experimental_option('prefs', {'download.default_directory': downloads,
                                              'download.prompt_for_download': False})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': downloads})
    driver.set_page_load_timeout(30)
    return driver


def row_names(driver):
    return [cell.text.strip() for cell in driver.find_elements(By.CSS_SELECTOR, 'tbody tr td:first-child')]


def row_link(driver, name, text):
    for row in driver.find_elements(By.CSS_SELECTOR, 'tbody tr'):
        if row.find_element(By.CSS_SELECTOR, 'td:first-child').text.strip() == name:
            return row.find_element(By.LINK_TEXT, text)
    raise AssertionError('no %s link for %s' % (text, name))


def main():
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix='vennaro-browser-')
    server = driver = None
    try:
        documents = os.path.join(work, 'Documents')
        os.makedirs(os.path.join(documents, 'sub'))
        write(os.path.join(documents, 'contacts.vcf'), b'BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jane\r\nEND:VCARD\r\n')
        write(os.path.join(documents, 'old notes.txt'), b'delete me')
        write(os.path.join(documents, 'keep.csv'), b'a,b\r\n')
        write(os.path.join(documents, 'sub', 'inner.txt'), b'inside')
        write(os.path.join(documents, XSS_NAME), b'harmless')
        downloads = os.path.join(work, 'downloads')
        os.makedirs(downloads)
        to_upload = os.path.join(work, 'upload me.ldif')
        write(to_upload, b'dn: cn=Jane Doe\r\ncn: Jane Doe\r\n' * 50)

        server = Server(program, documents, work)
        driver = browser(os.path.join(work, 'profile'), downloads)
        # Rows read while a page is being replaced go stale; the wait reads them again.
        wait = WebDriverWait(driver, 20, ignored_exceptions=(StaleElementReferenceException,))

        # The listing, with the markup-named file as plain text and no script run.
        driver.get(server.url + '/')
        names = row_names(driver)
        for name in ('sub', 'contacts.vcf', 'old notes.txt', 'keep.csv', XSS_NAME):
            check(name in names, 'listing lacks %r: %r' % (name, names))
        check(not any(img.get_attribute('src').endswith('/x') for img in driver.find_elements(By.TAG_NAME, 'img')),
              'the file name became an image element')
        try:
            driver.switch_to.alert
            raise AssertionError('a script of the file name ran')
        except NoAlertPresentException:
            pass
        entries = os.listdir(documents)
        folders = sum(os.path.isdir(os.path.join(documents, e)) for e in entries)
        stats = driver.find_element(By.CLASS_NAME, 'stats').text
        check(stats == '%d folders, %d files' % (folders, len(entries) - folders), 'wrong folder counts: ' + stats)

        # Into the folder and UP again.
        driver.find_element(By.LINK_TEXT, 'sub').click()
        wait.until(lambda d: 'inner.txt' in row_names(d))
        check('Vennaro/sub/' in driver.find_element(By.CLASS_NAME, 'folder').text, 'no heading of the folder')
        driver.find_element(By.CSS_SELECTOR, 'a.big').click()
        wait.until(lambda d: 'contacts.vcf' in row_names(d))

        # Upload through the form.
        driver.find_element(By.CSS_SELECTOR, 'input[type=file]').send_keys(to_upload)
        driver.find_element(By.XPATH, "//button[text()='Upload']").click()
        wait.until(lambda d: 'upload me.ldif' in row_names(d))
        check(read(os.path.join(documents, 'upload me.ldif')) == read(to_upload), 'the uploaded file differs')
        server.wait_for(lambda line: line == 'Upload /upload me.ldif')

        # Make a folder.
        driver.find_element(By.NAME, 'thefolder').send_keys('made here')
        driver.find_element(By.XPATH, "//button[text()='Make folder']").click()
        wait.until(lambda d: 'made here' in row_names(d))
        check(os.path.isdir(os.path.join(documents, 'made here')), 'the folder was not made')

        # Delete: declining keeps the file, confirming deletes it.
        row_link(driver, 'old notes.txt', 'Delete').click()
        wait.until(expected_conditions.alert_is_present())
        driver.switch_to.alert.dismiss()
        check(os.path.exists(os.path.join(documents, 'old notes.txt')), 'deleted without confirmation')
        row_link(driver, 'old notes.txt', 'Delete').click()
        wait.until(expected_conditions.alert_is_present())
        driver.switch_to.alert.accept()
        wait.until(lambda d: 'old notes.txt' not in row_names(d))
        check(not os.path.exists(os.path.join(documents, 'old notes.txt')), 'the file is still there')
        server.wait_for(lambda line: line == 'Delete /old notes.txt')

        # Download.
        row_link(driver, 'contacts.vcf', 'Download').click()
        target = os.path.join(downloads, 'contacts.vcf')
        deadline = time.time() + 20
        while not os.path.exists(target) and time.time() < deadline:
            time.sleep(0.2)
        check(os.path.exists(target), 'nothing was downloaded: %r' % os.listdir(downloads))
        check(read(target) == read(os.path.join(documents, 'contacts.vcf')), 'the download differs')

        # The markup-named file's link reaches it.
        driver.get(server.url + '/')
        cells = [c for c in driver.find_elements(By.CSS_SELECTOR, 'tbody tr td:first-child') if c.text.strip() == XSS_NAME]
        check(len(cells) == 1, 'the markup-named file is not listed once')
        driver.get(cells[0].find_element(By.TAG_NAME, 'a').get_attribute('href'))
        check(driver.find_element(By.TAG_NAME, 'body').text.strip() == 'harmless', 'its link does not reach it')
        driver.get(server.url + '/')
        driver.save_screenshot('browser_test.png')
        driver.set_window_size(400, 860)
        driver.save_screenshot('browser_test_phone.png')

        check(server.stop() == 0, 'the server did not stop cleanly')
        server = None
        print('browser test passed')
        return 0
    finally:
        if driver:
            driver.quit()
        if server:
            server.process.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
