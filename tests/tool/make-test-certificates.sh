#!/usr/bin/env bash
# Makes throwaway signing material in the given folder for the tests of the
# signed road: a certificate authority (ca.pem), a code-signing certificate it
# issued (signer.pem and signer.key, and signer.p12 under the password in
# password.txt), a key of no certificate (other.key), and a certificate that
# expired in 2020 (expired.pem, expired.key). Made anew by every test run.
set -euo pipefail
mkdir -p "$1"
cd "$1"
rm -rf issued && mkdir issued && : > issued/index && echo 02 > issued/serial
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj "/CN=Glimmora Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
for name in signer expired; do
  openssl req -newkey rsa:2048 -nodes -keyout $name.key -out $name.csr -subj "/CN=Glimmora Test Signer/O=Glimmora Tests"
done
openssl genrsa -out other.key 2048
# openssl ca is the one that takes dates in the past.
cat > ca.cnf <<'END'
[ca]
default_ca = test
[test]
database = issued/index
new_certs_dir = issued
serial = issued/serial
unique_subject = no
default_md = sha256
policy = any
x509_extensions = signing
[any]
commonName = supplied
organizationName = optional
[signing]
extendedKeyUsage = codeSigning
keyUsage = critical,digitalSignature
END
openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in signer.csr -out signer.pem -days 30 -notext
openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in expired.csr -out expired.pem -notext \
  -startdate 20200101000000Z -enddate 20200201000000Z
echo "test password" > password.txt
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -passout file:password.txt -out signer.p12
