#pragma once

#include <QString>

#include <cstdint>

// Fixed numbers of the address book: record identifiers, record and property types,
// property identifiers, standard labels and dictionary keys. Stored files and other
// programs rely on these values; never renumber them.

using ABRecordID = int32_t;
using ABPropertyID = int32_t;
using ABRecordType = int32_t;
using ABPropertyType = int32_t;

inline constexpr ABRecordID kABRecordInvalidID = -1;

inline constexpr ABRecordType kABPersonType = 0;
inline constexpr ABRecordType kABGroupType = 1;
inline constexpr ABRecordType kABSourceType = 2;

inline constexpr ABPropertyType kABInvalidPropertyType = 0;
inline constexpr ABPropertyType kABStringPropertyType = 1;
inline constexpr ABPropertyType kABIntegerPropertyType = 2;
inline constexpr ABPropertyType kABRealPropertyType = 3;
inline constexpr ABPropertyType kABDateTimePropertyType = 4;
inline constexpr ABPropertyType kABDictionaryPropertyType = 5;
inline constexpr ABPropertyType kABMultiValueMask = 256;
inline constexpr ABPropertyType kABMultiStringPropertyType = 257;
inline constexpr ABPropertyType kABMultiDateTimePropertyType = 260;
inline constexpr ABPropertyType kABMultiDictionaryPropertyType = 261;

// Person properties.
inline constexpr ABPropertyID kABPersonFirstNameProperty = 0;
inline constexpr ABPropertyID kABPersonLastNameProperty = 1;
inline constexpr ABPropertyID kABPersonPhoneProperty = 3;
inline constexpr ABPropertyID kABPersonEmailProperty = 4;
inline constexpr ABPropertyID kABPersonAddressProperty = 5;
inline constexpr ABPropertyID kABPersonMiddleNameProperty = 6;
inline constexpr ABPropertyID kABPersonFirstNamePhoneticProperty = 7;
inline constexpr ABPropertyID kABPersonMiddleNamePhoneticProperty = 8;
inline constexpr ABPropertyID kABPersonLastNamePhoneticProperty = 9;
inline constexpr ABPropertyID kABPersonOrganizationProperty = 10;
inline constexpr ABPropertyID kABPersonDepartmentProperty = 11;
inline constexpr ABPropertyID kABPersonDateProperty = 12;
inline constexpr ABPropertyID kABPersonInstantMessageProperty = 13;
inline constexpr ABPropertyID kABPersonNoteProperty = 14;
inline constexpr ABPropertyID kABPersonKindProperty = 16;
inline constexpr ABPropertyID kABPersonBirthdayProperty = 17;
inline constexpr ABPropertyID kABPersonJobTitleProperty = 18;
inline constexpr ABPropertyID kABPersonNicknameProperty = 19;
inline constexpr ABPropertyID kABPersonPrefixProperty = 20;
inline constexpr ABPropertyID kABPersonSuffixProperty = 21;
inline constexpr ABPropertyID kABPersonURLProperty = 22;
inline constexpr ABPropertyID kABPersonRelatedNamesProperty = 23;
inline constexpr ABPropertyID kABPersonCreationDateProperty = 26;
inline constexpr ABPropertyID kABPersonModificationDateProperty = 27;
inline constexpr ABPropertyID kABPersonSocialProfileProperty = 46;

// Group and source properties (their own numbering, as on the device).
inline constexpr ABPropertyID kABGroupNameProperty = 0;
inline constexpr ABPropertyID kABSourceNameProperty = 0;
inline constexpr ABPropertyID kABSourceTypeProperty = 1;

// Person kinds (kABPersonKindProperty).
inline constexpr int kABPersonKindPerson = 0;
inline constexpr int kABPersonKindOrganization = 1;

// Source types.
inline constexpr int kABSourceTypeLocal = 0;
inline constexpr int kABSourceTypeExchange = 1;
inline constexpr int kABSourceTypeExchangeGAL = 0x1000001;
inline constexpr int kABSourceTypeMobileMe = 2;
inline constexpr int kABSourceTypeLDAP = 0x1000003;
inline constexpr int kABSourceTypeCardDAV = 4;
inline constexpr int kABSourceTypeCardDAVSearch = 0x1000004;

// Sort ordering and composite name format.
inline constexpr int kABPersonSortByFirstName = 0;
inline constexpr int kABPersonSortByLastName = 1;
inline constexpr int kABPersonCompositeNameFormatFirstNameFirst = 0;
inline constexpr int kABPersonCompositeNameFormatLastNameFirst = 1;

// Authorization status.
inline constexpr int kABAuthorizationStatusNotDetermined = 0;
inline constexpr int kABAuthorizationStatusRestricted = 1;
inline constexpr int kABAuthorizationStatusDenied = 2;
inline constexpr int kABAuthorizationStatusAuthorized = 3;

// Standard labels, as stored.
inline const QString kABHomeLabel = QStringLiteral("_$!<Home>!$_");
inline const QString kABWorkLabel = QStringLiteral("_$!<Work>!$_");
inline const QString kABOtherLabel = QStringLiteral("_$!<Other>!$_");
inline const QString kABPersonPhoneMobileLabel = QStringLiteral("_$!<Mobile>!$_");
inline const QString kABPersonPhoneMainLabel = QStringLiteral("_$!<Main>!$_");
inline const QString kABPersonPhoneHomeFAXLabel = QStringLiteral("_$!<HomeFAX>!$_");
inline const QString kABPersonPhoneWorkFAXLabel = QStringLiteral("_$!<WorkFAX>!$_");
inline const QString kABPersonPhonePagerLabel = QStringLiteral("_$!<Pager>!$_");
inline const QString kABPersonHomePageLabel = QStringLiteral("_$!<HomePage>!$_");
inline const QString kABPersonAnniversaryLabel = QStringLiteral("_$!<Anniversary>!$_");

// Dictionary keys of addresses, instant messages and social profiles.
inline const QString kABPersonAddressStreetKey = QStringLiteral("Street");
inline const QString kABPersonAddressCityKey = QStringLiteral("City");
inline const QString kABPersonAddressStateKey = QStringLiteral("State");
inline const QString kABPersonAddressZIPKey = QStringLiteral("ZIP");
inline const QString kABPersonAddressCountryKey = QStringLiteral("Country");
inline const QString kABPersonAddressCountryCodeKey = QStringLiteral("CountryCode");
inline const QString kABPersonInstantMessageServiceKey = QStringLiteral("service");
inline const QString kABPersonInstantMessageUsernameKey = QStringLiteral("username");
inline const QString kABPersonInstantMessageServiceAIM = QStringLiteral("AIM");
inline const QString kABPersonInstantMessageServiceMSN = QStringLiteral("MSN");
inline const QString kABPersonInstantMessageServiceYahoo = QStringLiteral("Yahoo");
inline const QString kABPersonInstantMessageServiceICQ = QStringLiteral("ICQ");
inline const QString kABPersonInstantMessageServiceJabber = QStringLiteral("Jabber");
inline const QString kABPersonSocialProfileServiceKey = QStringLiteral("service");
inline const QString kABPersonSocialProfileUsernameKey = QStringLiteral("username");
inline const QString kABPersonSocialProfileURLKey = QStringLiteral("url");
